#include "PlayerLayerView.h"

#include "DesktopVideoPlayerLog.h"
#include "PlayerBackend.h"
#include "SoftwareVideoNode.h"
#include "VideoFrameSource.h"

#include <QEasingCurve>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPropertyAnimation>
#include <QQuickOpenGLUtils>
#include <QQuickWindow>
#include <QSGRenderNode>
#include "RoundedTextureNode.h"

#include <mutex>
#include <vector>

// Hands "a new frame waits" from libmpv's threads to the view on the main
// thread, whose update() starts the next scene frame. The render thread
// cannot be woken for it directly: while idle it serves only its own queue.
class PlayerLayerView::FrameRelay
{
public:
    explicit FrameRelay(PlayerLayerView* view) : m_view(view) { }

    // Any thread.
    void frameReady()
    {
        std::lock_guard lock(m_mutex);
        if (PlayerLayerView* view = m_view)
            QMetaObject::invokeMethod(
                view, [view] { view->update(); }, Qt::QueuedConnection);
    }
    // Main thread, before the view goes.
    void detach()
    {
        std::lock_guard lock(m_mutex);
        m_view = nullptr;
    }

private:
    std::mutex m_mutex;
    PlayerLayerView* m_view;
};

namespace {

std::shared_ptr<VideoFrameSource> frameSourceOf(PlayerBackend* player)
{
    return player ? player->frameSource() : nullptr;
}

std::shared_ptr<SoftwareFrameFeed> feedOf(const std::shared_ptr<VideoFrameSource>& source)
{
    return source ? source->softwareFeed() : nullptr;
}

class VideoNode;

// Draws the shown player straight into the window's framebuffer, in its
// place in the scene: one software-rendered pass fewer per frame than
// going through a texture.
class DirectVideoNode final : public QSGRenderNode
{
public:
    explicit DirectVideoNode(VideoNode& owner) : m_owner(owner) { }
    void render(const RenderState* state) override;
    StateFlags changedStates() const override
    {
        return DepthState | StencilState | ScissorState | ColorState | BlendState | CullState | ViewportState
            | RenderTargetState;
    }
    QRectF rect() const override { return m_rect; }
    void setRect(const QRectF& rect) { m_rect = rect; }

private:
    VideoNode& m_owner;
    QRectF m_rect;
};

// The render-thread side of a video view: one renderer per player the view
// serves. The shown player draws into a framebuffer used as a texture while
// the view fades or has no frame yet, and straight into the window once the
// view is opaque. Lives on the render thread and is destroyed there, with the
// window's OpenGL context current.
class VideoNode final : public QObject, public QSGNode
{
public:
    explicit VideoNode(QQuickWindow* window) : m_window(window), m_direct(*this)
    {
        m_texture.setFlag(OwnedByParent, false);
        m_direct.setFlag(OwnedByParent, false);
        appendChildNode(&m_texture);
        connect(window, &QQuickWindow::beforeRendering, this, &VideoNode::render, Qt::DirectConnection);
    }

    ~VideoNode() override
    {
        removeAllChildNodes();
        // Renderers first: a core may end only once its render context is gone.
        m_entries.clear();
    }

    // The shown player's current frame into the window's framebuffer.
    void renderDirect()
    {
        if (Entry* entry = findEntry(m_shown); entry && entry->renderer) {
            const QSize size = (QSizeF(m_window->size()) * m_window->effectiveDevicePixelRatio()).toSize();
            entry->renderer->render(QOpenGLContext::currentContext()->defaultFramebufferObject(), size, true);
        }
    }

    // During the scene graph's sync, with the main thread blocked.
    // opaque: the view is fully opaque and not fading, so that it may draw straight into the window.
    void sync(std::shared_ptr<VideoFrameSource> shown, std::vector<std::shared_ptr<VideoFrameSource>> served,
        QSize pixelSize, const QRectF& rect, qreal radius, bool opaque, const std::shared_ptr<PlayerLayerView::FrameRelay>& relay,
        std::atomic<quint64>* framesShown)
    {
        m_relay = relay;
        m_framesShown = framesShown;
        m_opaque = opaque;
        if (shown)
            served.push_back(shown);
        std::erase_if(m_entries,
            [&](const Entry& entry) { return std::find(served.begin(), served.end(), entry.source) == served.end(); });
        for (const std::shared_ptr<VideoFrameSource>& source : served) {
            if (source && !findEntry(source.get()))
                addEntry(source);
        }
        if (shown.get() != m_shown) {
            m_shown = shown.get();
            m_redraw = true;
        }
        if (pixelSize != m_pixelSize && !pixelSize.isEmpty()) {
            m_pixelSize = pixelSize;
            createFramebuffer();
            m_redraw = true;
        } else if (m_framebufferHasFrame && !m_textureIsOpaque) {
            // From the first frame on the video covers what lies beneath: an
            // opaque texture is drawn without blending, and hides the poster.
            setFramebufferTexture(true);
        }
        m_texture.setRect(rect);
        m_texture.setRadius(radius);
        m_direct.setRect(rect);
        const Entry* entry = findEntry(m_shown);
        setDrawsDirectly(m_opaque && entry && entry->hasFrame);
    }

private:
    void setDrawsDirectly(bool direct)
    {
        if (direct == m_drawsDirectly)
            return;
        m_drawsDirectly = direct;
        removeAllChildNodes();
        appendChildNode(direct ? static_cast<QSGNode*>(&m_direct) : &m_texture);
        m_redraw = !direct; // the framebuffer missed the frames drawn directly
    }

    struct Entry
    {
        std::shared_ptr<VideoFrameSource> source;
        std::unique_ptr<VideoRenderer> renderer;
        bool hasFrame = false;
    };

    Entry* findEntry(const VideoFrameSource* source)
    {
        const auto found = std::find_if(
            m_entries.begin(), m_entries.end(), [source](const Entry& entry) { return entry.source.get() == source; });
        return found == m_entries.end() ? nullptr : &*found;
    }

    void addEntry(const std::shared_ptr<VideoFrameSource>& source)
    {
        QString error;
        auto frameReady = [relay = m_relay] { relay->frameReady(); };
        std::unique_ptr<VideoRenderer> renderer = source->createRenderer(frameReady, &error);
        if (!renderer)
            DesktopVideoPlayerLog::write(QStringLiteral("video view cannot draw the video — %1").arg(error));
        // A source that failed stays listed, so that it is not tried every frame.
        m_entries.push_back({ source, std::move(renderer) });
    }

    void createFramebuffer()
    {
        m_framebuffer = std::make_unique<QOpenGLFramebufferObject>(m_pixelSize);
        // Transparent until the first frame: what lies beneath shows through, never black.
        m_framebuffer->bind();
        QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
        gl->glClearColor(0, 0, 0, 0);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        m_framebuffer->bindDefault();
        m_framebufferHasFrame = false;
        setFramebufferTexture(false);
    }

    void setFramebufferTexture(bool opaque)
    {
        m_texture.setTexture(QNativeInterface::QSGOpenGLTexture::fromNative(m_framebuffer->texture(), m_window,
            m_pixelSize, opaque ? QQuickWindow::CreateTextureOptions() : QQuickWindow::TextureHasAlphaChannel));
        m_texture.setOwnsTexture(true);
        m_textureIsOpaque = opaque;
    }

    // Before each scene frame: every served player takes its new frame; only
    // the shown one draws it, and only once it has one: before that the
    // framebuffer stays transparent rather than black.
    void render()
    {
        bool drew = false;
        m_window->beginExternalCommands();
        QQuickOpenGLUtils::resetOpenGLState();
        for (Entry& entry : m_entries) {
            if (!entry.renderer)
                continue;
            const bool shown = entry.source.get() == m_shown;
            const bool hasNewFrame = entry.renderer->hasNewFrame();
            entry.hasFrame = entry.hasFrame || hasNewFrame;
            if (shown && hasNewFrame && m_framesShown)
                ++*m_framesShown;
            if (shown && m_drawsDirectly) {
                drew = drew || hasNewFrame; // drawn by the render node, in the scene
            } else if (shown && m_framebuffer && entry.hasFrame && (hasNewFrame || m_redraw)) {
                entry.renderer->render(m_framebuffer->handle(), m_pixelSize, false);
                drew = true;
            } else if (!shown && hasNewFrame) {
                entry.renderer->skipFrame();
            }
        }
        m_window->endExternalCommands();
        m_redraw = false;
        if (!drew)
            return;
        if (m_drawsDirectly) {
            m_direct.markDirty(QSGNode::DirtyMaterial);
            return;
        }
        m_texture.markDirty(QSGNode::DirtyMaterial);
        m_framebufferHasFrame = true;
        if (!m_textureIsOpaque || m_opaque)
            m_relay->frameReady(); // a sync, to make the texture opaque or to draw directly
    }

    QQuickWindow* m_window;
    RoundedTextureNode m_texture;
    DirectVideoNode m_direct;
    bool m_drawsDirectly = false;
    bool m_opaque = false;
    std::shared_ptr<PlayerLayerView::FrameRelay> m_relay;
    std::atomic<quint64>* m_framesShown = nullptr;
    std::vector<Entry> m_entries;
    const VideoFrameSource* m_shown = nullptr;
    QSize m_pixelSize;
    std::unique_ptr<QOpenGLFramebufferObject> m_framebuffer;
    bool m_framebufferHasFrame = false;
    bool m_textureIsOpaque = false;
    // Draw the shown player's current frame even without a new one.
    bool m_redraw = false;
};

void DirectVideoNode::render(const RenderState*) { m_owner.renderDirect(); }

} // namespace

PlayerLayerView::PlayerLayerView(QQuickItem* parent)
    : QQuickItem(parent), m_frameRelay(std::make_shared<FrameRelay>(this))
{
    setFlag(ItemHasContents);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptTouchEvents(false);
    // Opaque or not decides how the frames are drawn.
    connect(this, &QQuickItem::opacityChanged, this, &QQuickItem::update);
    if (parent) {
        connect(parent, &QQuickItem::widthChanged, this, &PlayerLayerView::fillParent);
        connect(parent, &QQuickItem::heightChanged, this, &PlayerLayerView::fillParent);
        fillParent();
    }
}

PlayerLayerView::~PlayerLayerView() { m_frameRelay->detach(); }

void PlayerLayerView::setPlayer(PlayerBackend* player)
{
    if (m_player == player)
        return;
    m_player = player;
    m_standbyPlayers.removeAll(player);
    update();
}

void PlayerLayerView::addStandbyPlayer(PlayerBackend* player)
{
    if (!player || player == m_player || m_standbyPlayers.contains(player))
        return;
    m_standbyPlayers.append(player);
    // Its frames are skipped, not shown; the view must still see each one.
    connect(player, &QObject::destroyed, this, [this] { update(); });
    update();
}

QList<PlayerBackend*> PlayerLayerView::standbyPlayers() const
{
    QList<PlayerBackend*> players;
    for (const QPointer<PlayerBackend>& player : m_standbyPlayers) {
        if (player)
            players.append(player);
    }
    return players;
}

void PlayerLayerView::fadeIn(int milliseconds)
{
    if (!m_fade) {
        m_fade = new QPropertyAnimation(this, "opacity", this);
        m_fade->setEasingCurve(QEasingCurve::InOutQuad);
        connect(m_fade, &QAbstractAnimation::finished, this, &QQuickItem::update);
    }
    m_fade->stop();
    m_fade->setDuration(milliseconds);
    m_fade->setStartValue(opacity());
    m_fade->setEndValue(1.0);
    m_fade->start();
}

bool PlayerLayerView::isFading() const { return m_fade && m_fade->state() == QAbstractAnimation::Running; }

bool PlayerLayerView::contains(const QPointF&) const { return false; }

void PlayerLayerView::setCornerRadius(qreal radius)
{
    if (qFuzzyCompare(radius, m_cornerRadius))
        return;
    m_cornerRadius = radius;
    update();
}

void PlayerLayerView::setDrawsDirectlyWhenOpaque(bool direct)
{
    m_drawsDirectlyWhenOpaque = direct;
    update();
}

QSGNode* PlayerLayerView::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    const std::shared_ptr<VideoFrameSource> shown = frameSourceOf(m_player);
    std::vector<std::shared_ptr<VideoFrameSource>> standby;
    for (PlayerBackend* player : standbyPlayers())
        standby.push_back(frameSourceOf(player));
    const QSize pixels = (size() * window()->effectiveDevicePixelRatio()).toSize();
    const bool software = feedOf(shown)
        || std::any_of(standby.begin(), standby.end(), [](const auto& source) { return feedOf(source) != nullptr; });
    if (software)
        return updateSoftwareNode(oldNode, shown, standby, pixels);

    auto* node = dynamic_cast<VideoNode*>(oldNode);
    if (!node) {
        delete oldNode;
        // A view without a player has nothing to draw, and nothing it cannot draw.
        if (width() <= 0 || height() <= 0 || (!m_player && standby.empty()))
            return nullptr;
        if (window()->rendererInterface()->graphicsApi() != QSGRendererInterface::OpenGL) {
            if (!std::exchange(m_reportedNoOpenGL, true))
                DesktopVideoPlayerLog::write(
                    QStringLiteral("video view cannot draw the video — the window renders without OpenGL"));
            return nullptr;
        }
        node = new VideoNode(window());
    }
    node->sync(shown, std::move(standby), pixels, boundingRect(), m_cornerRadius, mayDrawDirectly(), m_frameRelay,
        &m_framesShown);
    return node;
}

QSGNode* PlayerLayerView::updateSoftwareNode(QSGNode* oldNode, const std::shared_ptr<VideoFrameSource>& shown,
    const std::vector<std::shared_ptr<VideoFrameSource>>& standby, QSize pixels)
{
    auto* node = dynamic_cast<SoftwareVideoNode*>(oldNode);
    if (!node) {
        delete oldNode;
        if (width() <= 0 || height() <= 0)
            return nullptr;
        node = SoftwareVideoNode::create(window());
    }
    node->setCornerRadius(m_cornerRadius);
    std::vector<std::shared_ptr<SoftwareFrameFeed>> served;
    for (const std::shared_ptr<VideoFrameSource>& source : standby) {
        if (std::shared_ptr<SoftwareFrameFeed> feed = feedOf(source))
            served.push_back(std::move(feed));
    }
    node->sync(feedOf(shown), std::move(served), pixels, boundingRect(),
        [relay = m_frameRelay] { relay->frameReady(); }, &m_framesShown, mayDrawDirectly());
    return node;
}

bool PlayerLayerView::mayDrawDirectly() const
{
    return m_drawsDirectlyWhenOpaque && m_cornerRadius <= 0 && qFuzzyCompare(opacity(), 1.0) && !isFading();
}

void PlayerLayerView::fillParent()
{
    if (QQuickItem* parent = parentItem()) {
        setPosition(QPointF(0, 0));
        setSize(parent->size());
    }
}
