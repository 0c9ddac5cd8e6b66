#include "PictureNode.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QSGImageNode>

QSGNode* PictureNode::update(QQuickItem& item, QSGNode* old, const QImage& picture, bool& changed,
    const QRectF& rect, const QRectF& source)
{
    auto* node = static_cast<QSGImageNode*>(old);
    if (picture.isNull() || item.width() <= 0 || item.height() <= 0) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = item.window()->createImageNode();
        node->setOwnsTexture(true);
        node->setFiltering(QSGTexture::Linear);
        changed = true;
    }
    if (std::exchange(changed, false))
        node->setTexture(item.window()->createTextureFromImage(picture));
    node->setSourceRect(source.isEmpty() ? QRectF(QPointF(0, 0), picture.size()) : source);
    node->setRect(rect);
    return node;
}
