#include "RoundedTextureNode.h"

#include <QSGTexture>

#include <algorithm>
#include <cmath>
#include <numbers>

RoundedTextureNode::RoundedTextureNode()
    : m_geometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 2 + 4 * pointsPerCorner)
{
    m_geometry.setDrawingMode(QSGGeometry::DrawTriangleFan);
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
    textured(vertices[0], m_rect.center());
    const double r = std::clamp(m_radius, 0.0, std::min(m_rect.width(), m_rect.height()) / 2);
    // Corners clockwise from the top left; screen y grows downwards.
    const QPointF centres[4] = { { m_rect.left() + r, m_rect.top() + r }, { m_rect.right() - r, m_rect.top() + r },
        { m_rect.right() - r, m_rect.bottom() - r }, { m_rect.left() + r, m_rect.bottom() - r } };
    int index = 1;
    for (int corner = 0; corner < 4; ++corner) {
        const double start = std::numbers::pi * (1.0 + corner * 0.5);
        for (int step = 0; step < pointsPerCorner; ++step) {
            const double angle = start + std::numbers::pi / 2 * step / (pointsPerCorner - 1);
            textured(vertices[index++], centres[corner] + QPointF(r * std::cos(angle), r * std::sin(angle)));
        }
    }
    vertices[index] = vertices[1]; // closes the fan
    markDirty(DirtyGeometry);
}
