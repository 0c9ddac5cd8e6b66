#pragma once

#include <QImage>
#include <QQuickItem>
#include <QString>

#include <optional>

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
    // The picture shown; null when the view is empty or covered.
    QImage image() const { return m_image; }

    // While something opaque covers the whole view (a playing video), its
    // picture cannot be seen: a picture loaded from a file lets go of its
    // pixels and texture, keeping only the file, and is loaded again when the
    // view is next drawn uncovered. A picture set while covered waits the same way.
    void setCovered(bool covered);
    bool isCovered() const { return m_covered; }
    // The file of the picture shown; none for a picture handed over loaded, or none.
    const std::optional<QString>& source() const { return m_source; }

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
    void show(const QImage& image);

    QImage m_image;
    // The file m_image came from; none for a picture handed over loaded.
    std::optional<QString> m_source;
    bool m_covered = false;
    // Uncovered again: the picture is loaded from m_source when next drawn.
    bool m_reloadPending = false;
    bool m_imageChanged = false;
    QMetaObject::Connection m_parentWidthConnection;
    QMetaObject::Connection m_parentHeightConnection;
};
