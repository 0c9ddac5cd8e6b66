#include "SoftwareVideoNode.h"

#include "DesktopImageView.h"
#include "DirectFramePath.h"
#include "RoundedTextureNode.h"
#include "XShmWindowOutput.h"

#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <QSGRenderNode>
#include <QSGRendererInterface>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The part of the frame that fills rect: all of it when it was drawn for this
// view, the middle when it was drawn for a larger one of other proportions.
QRectF sourceRectFor(const QImage& frame, const QRectF& rect)
{
    return DesktopImageView::aspectFillSourceRect(QSizeF(frame.size()), rect.size());
}

// Qt Quick's software renderer: the frame is painted into the window's
// backing store, in its place in the scene, with the view's opacity. A
// rounded view paints in three bands: the middle one is opaque, so the
// renderer draws nothing beneath it when a new frame comes, and only the
// narrow top and bottom bands, which hold the corners, are drawn over what
// lies beneath.
class PaintedVideoNode final : public SoftwareVideoNode
{
public:
    explicit PaintedVideoNode(QQuickWindow* window)
        : SoftwareVideoNode(window), m_bands { Paint(window, true), Paint(window, false), Paint(window, true) }
    {
        for (Paint& band : m_bands)
            appendChildNode(&band);
    }
    ~PaintedVideoNode() override
    {
        for (Paint& band : m_bands)
            removeChildNode(&band);
    }

protected:
    void showFrame(const QImage& frame, const QRectF& rect, bool) override
    {
        const qreal radius = std::clamp(cornerRadius(), 0.0, std::min(rect.width(), rect.height()) / 2);
        const QRectF bands[3] = { QRectF(rect.x(), rect.y(), rect.width(), radius),
            rect.adjusted(0, radius, 0, -radius), QRectF(rect.x(), rect.bottom() - radius, rect.width(), radius) };
        for (int i = 0; i < 3; ++i) {
            Paint& paint = m_bands[size_t(i)];
            paint.frame = frame;
            paint.target = rect;
            paint.band = bands[i];
            paint.radius = radius;
            paint.markDirty(QSGNode::DirtyMaterial);
        }
    }

private:
    class Paint final : public QSGRenderNode
    {
    public:
        Paint(QQuickWindow* window, bool holdsCorners) : m_window(window), m_holdsCorners(holdsCorners)
        {
            setFlag(OwnedByParent, false);
        }

        void render(const RenderState* state) override
        {
            if (frame.isNull() || band.isEmpty())
                return;
            auto* painter = static_cast<QPainter*>(
                m_window->rendererInterface()->getResource(m_window, QSGRendererInterface::PainterResource));
            if (!painter)
                return;
            painter->save();
            if (const QRegion* clip = state->clipRegion(); clip && !clip->isEmpty())
                painter->setClipRegion(*clip, Qt::ReplaceClip);
            painter->setTransform(matrix()->toTransform());
            painter->setClipRect(band, Qt::IntersectClip);
            painter->setOpacity(inheritedOpacity());
            if (m_holdsCorners) {
                paintRounded(*painter);
            } else {
                // The frames' fourth byte is undefined. Copying (rather than
                // blending) reads them as opaque 32-bit RGB, which sets it, in the
                // same pass; for an opaque frame the result is the same.
                painter->setCompositionMode(QPainter::CompositionMode_Source);
                painter->drawImage(target, frame, sourceRectFor(frame, target));
            }
            painter->restore();
        }
        StateFlags changedStates() const override { return {}; }
        // The middle band is opaque once fully shown: the renderer then skips what lies beneath.
        RenderingFlags flags() const override
        {
            RenderingFlags flags = BoundedRectRendering;
            if (!m_holdsCorners && !frame.isNull() && qFuzzyCompare(inheritedOpacity(), 1.0))
                flags |= OpaqueRendering;
            return flags;
        }
        QRectF rect() const override { return band; }

        QImage frame;
        QRectF target;
        QRectF band;
        qreal radius = 0;

    private:
        // The frame as the fill of a rounded rectangle, with smoothed edges (a
        // clip path would leave them jagged). Read through a brush the frames
        // count as opaque whatever their fourth byte holds.
        void paintRounded(QPainter& painter) const
        {
            const QRectF source = sourceRectFor(frame, target);
            QTransform place;
            place.translate(target.x(), target.y());
            place.scale(target.width() / source.width(), target.height() / source.height());
            place.translate(-source.x(), -source.y());
            QBrush brush(frame);
            brush.setTransform(place);
            QPainterPath shape;
            shape.addRoundedRect(target, radius, radius);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.fillPath(shape, brush);
        }

        QQuickWindow* m_window;
        bool m_holdsCorners;
    };

    // Top, middle and bottom; without a radius the middle band is the whole view.
    std::array<Paint, 3> m_bands;
};

// A window rendering with OpenGL: each new frame becomes the texture of a plain textured quad.
class UploadedVideoNode final : public SoftwareVideoNode
{
public:
    explicit UploadedVideoNode(QQuickWindow* window) : SoftwareVideoNode(window), m_window(window)
    {
        m_quad.setFlag(OwnedByParent, false);
        m_quad.setOwnsTexture(false);
        m_quad.setFiltering(QSGTexture::Linear);
    }
    ~UploadedVideoNode() override
    {
        if (m_quad.parent())
            removeChildNode(&m_quad);
    }

protected:
    void showFrame(const QImage& frame, const QRectF& rect, bool isNew) override
    {
        if (isNew || !m_texture) {
            std::unique_ptr<QSGTexture> texture(m_window->createTextureFromImage(frame, QQuickWindow::TextureIsOpaque));
            if (!texture)
                return;
            m_quad.setTexture(texture.get());
            m_texture = std::move(texture);
        }
        m_quad.setRect(rect);
        m_quad.setSourceRect(sourceRectFor(frame, rect));
        m_quad.setRadius(cornerRadius());
        if (!m_quad.parent())
            appendChildNode(&m_quad);
        m_quad.markDirty(QSGNode::DirtyMaterial);
    }

private:
    QQuickWindow* m_window;
    RoundedTextureNode m_quad;
    std::unique_ptr<QSGTexture> m_texture;
};

} // namespace

SoftwareVideoNode* SoftwareVideoNode::create(QQuickWindow* window)
{
    if (window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software)
        return new PaintedVideoNode(window);
    return new UploadedVideoNode(window);
}

SoftwareVideoNode::SoftwareVideoNode(QQuickWindow* window)
    : m_window(window), m_direct(std::make_shared<DirectFramePath>())
{
    // The scene renders for other reasons too (an expose, a change beneath):
    // it then shows the newest frame, not the one it last had.
    m_catchUp = QObject::connect(
        window, &QQuickWindow::beforeSynchronizing, [this] { catchUpWithDirectFrames(); });
    // A direct frame put while the scene renders could reach the window before
    // the scene's older one: it waits until the scene's frame is out.
    m_holdForScene = QObject::connect(window, &QQuickWindow::beforeFrameBegin, [direct = m_direct] { direct->holdForScene(); });
    m_releaseAfterScene
        = QObject::connect(window, &QQuickWindow::afterFrameEnd, [direct = m_direct] { direct->releaseAfterScene(); });
}

void SoftwareVideoNode::setCornerRadius(qreal radius)
{
    m_radiusChanged = m_radiusChanged || !qFuzzyCompare(radius, m_radius);
    m_radius = radius;
}

SoftwareVideoNode::~SoftwareVideoNode()
{
    QObject::disconnect(m_catchUp);
    QObject::disconnect(m_holdForScene);
    QObject::disconnect(m_releaseAfterScene);
    for (const Served& served : m_served)
        served.feed->removeViewer(served.viewer);
}

void SoftwareVideoNode::sync(std::shared_ptr<SoftwareFrameFeed> shown,
    std::vector<std::shared_ptr<SoftwareFrameFeed>> served, QSize pixelSize, const QRectF& rect,
    std::function<void()> frameReady, std::atomic<quint64>* framesShown, bool mayDrawDirectly)
{
    if (shown)
        served.push_back(shown);
    std::erase_if(m_served, [&](const Served& entry) {
        const bool gone = std::find(served.begin(), served.end(), entry.feed) == served.end();
        if (gone)
            entry.feed->removeViewer(entry.viewer);
        return gone;
    });
    for (const std::shared_ptr<SoftwareFrameFeed>& feed : served) {
        const bool known = std::any_of(
            m_served.begin(), m_served.end(), [&feed](const Served& entry) { return entry.feed == feed; });
        if (feed && !known) {
            // A frame that goes straight to the window needs no scene frame.
            const quint64 viewer = feed->addViewer([direct = m_direct, source = feed.get(), frameReady] {
                if (!direct->offer(source))
                    frameReady();
            });
            feed->setViewerSize(viewer, pixelSize);
            m_served.push_back({ feed, viewer });
        }
    }
    catchUpWithDirectFrames();
    const bool resized = pixelSize != m_pixelSize || rect != m_rect || std::exchange(m_radiusChanged, false);
    if (pixelSize != m_pixelSize) {
        for (const Served& entry : m_served)
            entry.feed->setViewerSize(entry.viewer, pixelSize);
    }
    m_pixelSize = pixelSize;
    m_rect = rect;
    const SoftwareFrame frame = shown ? shown->latestFrame() : SoftwareFrame();
    // Until the new player has a frame the last one stays.
    const bool isNew = frame.serial != 0 && (frame.serial != m_shownSerial || shown.get() != m_shownFeed);
    if (frame.serial != 0 && (isNew || resized)) {
        m_shownSerial = frame.serial;
        m_shownFeed = shown.get();
        m_shownSize = frame.image.size();
        showFrame(frame.image, rect, isNew);
        if (isNew && framesShown)
            ++*framesShown;
    }
    aimDirectFrames(mayDrawDirectly && shown && shown.get() == m_shownFeed, framesShown);
}

// The frames put straight into the window since the scene last rendered are
// ahead of the scene's own: it takes the newest before it renders again.
void SoftwareVideoNode::catchUpWithDirectFrames()
{
    if (!m_direct->takeBypassed())
        return;
    const auto shown = std::find_if(
        m_served.begin(), m_served.end(), [this](const Served& entry) { return entry.feed.get() == m_shownFeed; });
    if (shown == m_served.end())
        return;
    const SoftwareFrame frame = shown->feed->latestFrame();
    if (frame.serial == 0)
        return;
    m_shownSerial = frame.serial;
    m_shownSize = frame.image.size();
    showFrame(frame.image, m_rect, true);
}

// Straight into the window only where that shows what the scene would: the
// frames are cropped, never scaled, to fill the view.
void SoftwareVideoNode::aimDirectFrames(bool mayDrawDirectly, std::atomic<quint64>* framesShown)
{
    std::optional<DirectFramePath::Aim> aim;
    const QRectF source = DesktopImageView::aspectFillSourceRect(QSizeF(m_shownSize), m_rect.size());
    const QRect wholePixels = source.toRect();
    const bool cropOnly = !m_shownSize.isEmpty() && wholePixels.size() == m_pixelSize
        && QRectF(wholePixels) == source && m_radius <= 0;
    if (mayDrawDirectly && cropOnly) {
        if (!std::exchange(m_outputTried, true))
            m_output = XShmWindowOutput::create(m_window);
        if (m_output)
            aim = DirectFramePath::Aim { m_output, m_shownFeed, m_shownSize, wholePixels, QPoint(0, 0),
                m_shownSerial, framesShown };
    }
    m_direct->aim(std::move(aim));
}
