#pragma once

#include <QImage>
#include <QRectF>

class QQuickItem;
class QSGNode;

namespace PictureNode {

// For an item's updatePaintNode: the window's image node showing the source
// part of picture (empty: all of it) in rect, kept from old or made anew. A
// texture is made when changed is set, which it clears, and for a new node.
// No node without a picture or in an empty item. Render thread, during sync.
QSGNode* update(QQuickItem& item, QSGNode* old, const QImage& picture, bool& changed, const QRectF& rect,
    const QRectF& source = {});

} // namespace PictureNode
