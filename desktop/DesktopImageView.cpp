#include "DesktopImageView.h"

#include "StillPicture.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QUrl>

#include <utility>

namespace {

// A palette or one-bit picture (a plain-coloured PNG is stored so) becomes a
// one-bit pixmap under the software scene graph and draws black: every
// picture is drawn from 32-bit pixels.
QImage drawable(const QImage& image)
{
    if (image.isNull())
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

} // namespace

DesktopImageView::DesktopImageView(QQuickItem* parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptTouchEvents(false);
    followParent();
}

DesktopImageView::~DesktopImageView() = default;

void DesktopImageView::setImage(const QUrl& fileUrl)
{
    if (!fileUrl.isLocalFile())
        return;
    const QString path = fileUrl.toLocalFile();
    const QImage image = StillPicture::load(path);
    if (image.isNull())
        return;
    m_source = path;
    m_reloadPending = false;
    show(m_covered ? QImage() : image);
}

void DesktopImageView::setImage(const QImage& image)
{
    if (image.isNull())
        return;
    m_source.reset();
    m_reloadPending = false;
    show(image);
}

void DesktopImageView::show(const QImage& image)
{
    m_image = drawable(image);
    m_imageChanged = true;
    update();
}

void DesktopImageView::clearImage()
{
    m_source.reset();
    m_reloadPending = false;
    if (m_image.isNull())
        return;
    show(QImage());
}

void DesktopImageView::setCovered(bool covered)
{
    if (covered == m_covered)
        return;
    m_covered = covered;
    if (!m_source)
        return; // nothing to load it from again: kept
    if (covered) {
        m_reloadPending = false;
        if (!m_image.isNull())
            show(QImage());
    } else if (m_image.isNull()) {
        // Not now: a window about to be hidden or closed never needs it.
        m_reloadPending = true;
        update();
    }
}

bool DesktopImageView::contains(const QPointF&) const { return false; }

QRectF DesktopImageView::aspectFillSourceRect(const QSizeF& imageSize, const QSizeF& itemSize)
{
    if (imageSize.isEmpty() || itemSize.isEmpty())
        return QRectF(QPointF(0, 0), imageSize);
    const qreal scale = std::max(itemSize.width() / imageSize.width(), itemSize.height() / imageSize.height());
    const QSizeF shown(itemSize.width() / scale, itemSize.height() / scale);
    return QRectF(QPointF((imageSize.width() - shown.width()) / 2, (imageSize.height() - shown.height()) / 2), shown);
}

QSGNode* DesktopImageView::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    // While the scene syncs, the main thread waits: the fields are safe to touch.
    if (std::exchange(m_reloadPending, false)) {
        m_image = drawable(StillPicture::load(*m_source));
        m_imageChanged = true;
    }
    auto* node = static_cast<QSGImageNode*>(oldNode);
    if (m_imageChanged || m_image.isNull()) {
        // A new picture gets a new node and texture at once: no cross-fade.
        delete node;
        node = nullptr;
        m_imageChanged = false;
    }
    if (m_image.isNull() || width() <= 0 || height() <= 0) {
        delete node;
        return nullptr;
    }
    if (!node) {
        QSGTexture* texture = window()->createTextureFromImage(m_image);
        if (!texture)
            return nullptr;
        node = window()->createImageNode();
        node->setTexture(texture);
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
    }
    node->setRect(boundingRect());
    node->setSourceRect(aspectFillSourceRect(node->texture()->textureSize(), size()));
    return node;
}

void DesktopImageView::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        update();
}

void DesktopImageView::itemChange(ItemChange change, const ItemChangeData& value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemParentHasChanged)
        followParent();
}

// Keeps the view covering its parent, so a change of display size relays the
// picture at once.
void DesktopImageView::followParent()
{
    disconnect(m_parentWidthConnection);
    disconnect(m_parentHeightConnection);
    QQuickItem* parent = parentItem();
    if (!parent)
        return;
    m_parentWidthConnection = connect(parent, &QQuickItem::widthChanged, this, &DesktopImageView::fillParent);
    m_parentHeightConnection = connect(parent, &QQuickItem::heightChanged, this, &DesktopImageView::fillParent);
    fillParent();
}

void DesktopImageView::fillParent()
{
    if (QQuickItem* parent = parentItem()) {
        setPosition(QPointF(0, 0));
        setSize(parent->size());
    }
}
