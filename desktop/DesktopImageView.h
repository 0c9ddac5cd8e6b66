#pragma once

#include <QImage>
#include <QQuickItem>

class QUrl;

// The still picture of a desktop window. It fills its parent item (the window's
// content item) and scales the picture to fill it, keeping its proportions and
// cropping the longer side. It changes without animation and never takes input,
// so a click on the wallpaper reaches whatever lies beneath the window.
class DesktopImageView : public QQuickItem
{
    Q_OBJECT

public:
    explicit DesktopImageView(QQuickItem* parent = nullptr);
    ~DesktopImageView() override;

    // Shows the picture in the file. A file that cannot be loaded, or that is
    // not a regular file, changes nothing: the view keeps what it showed before.
    void setImage(const QUrl& fileUrl);
    // Shows a picture loaded already; a null image changes nothing.
    void setImage(const QImage& image);
    // Shows nothing; the clear window lets what lies beneath show through.
    void clearImage();
    // The picture shown; null when the view is empty.
    QImage image() const { return m_image; }

    // No point is inside the view: it is never the target of a click or a touch.
    bool contains(const QPointF& point) const override;

    // The part of a picture of imageSize that fills an item of itemSize:
    // centred, with the item's proportions, as large as the picture allows.
    static QRectF aspectFillSourceRect(const QSizeF& imageSize, const QSizeF& itemSize);

protected:
    QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    void followParent();
    void fillParent();

    QImage m_image;
    bool m_imageChanged = false;
    QMetaObject::Connection m_parentWidthConnection;
    QMetaObject::Connection m_parentHeightConnection;
};
