#include "RoundedTextureNode.h"

#include <QSGTexture>

#include <algorithm>
#include <cmath>
#include <numbers>

RoundedTextureNode::RoundedTextureNode()
    : m_geometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 4 * pointsPerCorner)
{
    // A strip across the shape, row by row (fans are not drawn by every graphics API).
    m_geometry.setDrawingMode(QSGGeometry::DrawTriangleStrip);
    setGeometry(&m_geometry);
    // The opaque material while fully opaque; the other blends in the inherited opacity.
    setMaterial(&m_material);
    setOpaqueMaterial(&m_opaqueMaterial);
}

RoundedTextureNode::~RoundedTextureNode()
{
    if (m_ownsTexture)
        delete m_material.texture();
}

void RoundedTextureNode::setTexture(QSGTexture* texture)
{
    if (texture == m_material.texture())
        return;
    if (m_ownsTexture)
        delete m_material.texture();
    m_material.setTexture(texture);
    m_opaqueMaterial.setTexture(texture);
    updateGeometry();
    markDirty(DirtyMaterial);
}

void RoundedTextureNode::setFiltering(QSGTexture::Filtering filtering)
{
    m_material.setFiltering(filtering);
    m_opaqueMaterial.setFiltering(filtering);
    markDirty(DirtyMaterial);
}

void RoundedTextureNode::setRect(const QRectF& rect)
{
    if (rect == m_rect)
        return;
    m_rect = rect;
    updateGeometry();
}

void RoundedTextureNode::setSourceRect(const QRectF& rect)
{
    if (rect == m_sourceRect)
        return;
    m_sourceRect = rect;
    updateGeometry();
}

void RoundedTextureNode::setRadius(qreal radius)
{
    if (qFuzzyCompare(radius, m_radius))
        return;
    m_radius = radius;
    updateGeometry();
}

void RoundedTextureNode::updateGeometry()
{
    QSGTexture* texture = m_material.texture();
    if (!texture)
        return;
    // Where the shown part lies in the texture's coordinates (an atlas texture is part of a larger one).
    const QSizeF pixels = texture->textureSize();
    const QRectF sub = texture->normalizedTextureSubRect();
    const QRectF source = m_sourceRect.isEmpty() || pixels.isEmpty()
        ? QRectF(0, 0, 1, 1)
        : QRectF(m_sourceRect.x() / pixels.width(), m_sourceRect.y() / pixels.height(),
            m_sourceRect.width() / pixels.width(), m_sourceRect.height() / pixels.height());
    auto textured = [&](QSGGeometry::TexturedPoint2D& vertex, QPointF at) {
        const double u = m_rect.width() > 0 ? (at.x() - m_rect.x()) / m_rect.width() : 0;
        const double v = m_rect.height() > 0 ? (at.y() - m_rect.y()) / m_rect.height() : 0;
        vertex.set(float(at.x()), float(at.y()), float(sub.x() + (source.x() + u * source.width()) * sub.width()),
            float(sub.y() + (source.y() + v * source.height()) * sub.height()));
    };

    QSGGeometry::TexturedPoint2D* vertices = m_geometry.vertexDataAsTexturedPoint2D();
    const double r = std::clamp(m_radius, 0.0, std::min(m_rect.width(), m_rect.height()) / 2);
    // Rows down the top corners' quarter circles, then down the bottom ones';
    // each row spans the shape from its left to its right edge.
    int index = 0;
    auto row = [&](double y, double inset) {
        textured(vertices[index++], QPointF(m_rect.left() + inset, y));
        textured(vertices[index++], QPointF(m_rect.right() - inset, y));
    };
    for (int step = 0; step < pointsPerCorner; ++step) {
        const double angle = std::numbers::pi / 2 * (1.0 - double(step) / (pointsPerCorner - 1)); // 90° to 0°
        row(m_rect.top() + r - r * std::sin(angle), r - r * std::cos(angle));
    }
    for (int step = 0; step < pointsPerCorner; ++step) {
        const double angle = std::numbers::pi / 2 * double(step) / (pointsPerCorner - 1); // 0° to 90°
        row(m_rect.bottom() - r + r * std::sin(angle), r - r * std::cos(angle));
    }
    markDirty(DirtyGeometry);
}
