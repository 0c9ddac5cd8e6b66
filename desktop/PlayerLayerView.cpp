#include "PlayerLayerView.h"

#include "DesktopVideoPlayerLog.h"
#include "PlayerBackend.h"
#include "VideoFrameSource.h"

#include <QEasingCurve>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPropertyAnimation>
#include <QQuickOpenGLUtils>
#include <QQuickWindow>
#include <QSGSimpleTextureNode>

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

// The render-thread side of a video view: one renderer per player the view
// serves, and the framebuffer that the shown player draws into, used as the
// node's texture. Lives on the render thread and is destroyed there, with
// the window's OpenGL context current.
class VideoNode final : public QObject, public QSGSimpleTextureNode
{
public:
    explicit VideoNode(QQuickWindow* window) : m_window(window)
    {
        connect(window, &QQuickWindow::beforeRendering, this, &VideoNode::render, Qt::DirectConnection);
    }

    ~VideoNode() override
    {
        // Renderers first: a core may end only once its render context is gone.
        m_entries.clear();
    }

    // During the scene graph's sync, with the main thread blocked.
    void sync(std::shared_ptr<VideoFrameSource> shown, std::vector<std::shared_ptr<VideoFrameSource>> served,
        QSize pixelSize, const QRectF& rect, const std::shared_ptr<PlayerLayerView::FrameRelay>& relay)
    {
        m_relay = relay;
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
        setRect(rect);
    }

private:
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
        setTexture(QNativeInterface::QSGOpenGLTexture::fromNative(m_framebuffer->texture(), m_window, m_pixelSize,
            opaque ? QQuickWindow::CreateTextureOptions() : QQuickWindow::TextureHasAlphaChannel));
        setOwnsTexture(true);
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
            if (shown && m_framebuffer && entry.hasFrame && (hasNewFrame || m_redraw)) {
                entry.renderer->render(m_framebuffer->handle(), m_pixelSize);
                drew = true;
            } else if (!shown && hasNewFrame) {
                entry.renderer->skipFrame();
            }
        }
        m_window->endExternalCommands();
        m_redraw = false;
        if (!drew)
            return;
        markDirty(QSGNode::DirtyMaterial);
        m_framebufferHasFrame = true;
        if (!m_textureIsOpaque)
            m_relay->frameReady(); // a sync, to make the texture opaque
    }

    QQuickWindow* m_window;
    std::shared_ptr<PlayerLayerView::FrameRelay> m_relay;
    std::vector<Entry> m_entries;
    const VideoFrameSource* m_shown = nullptr;
    QSize m_pixelSize;
    std::unique_ptr<QOpenGLFramebufferObject> m_framebuffer;
    bool m_framebufferHasFrame = false;
    bool m_textureIsOpaque = false;
    // Draw the shown player's current frame even without a new one.
    bool m_redraw = false;
};

} // namespace

PlayerLayerView::PlayerLayerView(QQuickItem* parent)
    : QQuickItem(parent), m_frameRelay(std::make_shared<FrameRelay>(this))
{
    setFlag(ItemHasContents);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptTouchEvents(false);
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
    }
    m_fade->stop();
    m_fade->setDuration(milliseconds);
    m_fade->setStartValue(opacity());
    m_fade->setEndValue(1.0);
    m_fade->start();
}

bool PlayerLayerView::isFading() const { return m_fade && m_fade->state() == QAbstractAnimation::Running; }

bool PlayerLayerView::contains(const QPointF&) const { return false; }

QSGNode* PlayerLayerView::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    auto* node = static_cast<VideoNode*>(oldNode);
    if (!node) {
        if (width() <= 0 || height() <= 0)
            return nullptr;
        if (window()->rendererInterface()->graphicsApi() != QSGRendererInterface::OpenGL) {
            if (!std::exchange(m_reportedNoOpenGL, true))
                DesktopVideoPlayerLog::write(
                    QStringLiteral("video view cannot draw the video — the window renders without OpenGL"));
            return nullptr;
        }
        node = new VideoNode(window());
    }
    std::vector<std::shared_ptr<VideoFrameSource>> standby;
    for (PlayerBackend* player : standbyPlayers())
        standby.push_back(frameSourceOf(player));
    const QSize pixels = (size() * window()->effectiveDevicePixelRatio()).toSize();
    node->sync(frameSourceOf(m_player), std::move(standby), pixels, boundingRect(), m_frameRelay);
    return node;
}

void PlayerLayerView::fillParent()
{
    if (QQuickItem* parent = parentItem()) {
        setPosition(QPointF(0, 0));
        setSize(parent->size());
    }
}
