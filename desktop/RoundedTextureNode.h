#pragma once

#include <QSGGeometry>
#include <QSGGeometryNode>
#include <QSGTextureMaterial>

// A texture drawn into a rectangle with rounded corners, in a window that
// renders through a graphics API: the rectangle is a strip of triangles whose
// corners follow quarter circles, so nothing is drawn outside them and the
// texture stays opaque inside. Radius 0 draws the plain rectangle.
class RoundedTextureNode final : public QSGGeometryNode
{
public:
    RoundedTextureNode();
    ~RoundedTextureNode() override;

    void setTexture(QSGTexture* texture);
    QSGTexture* texture() const { return m_material.texture(); }
    // Whether the node deletes its texture when it is replaced or the node ends.
    void setOwnsTexture(bool owns) { m_ownsTexture = owns; }
    void setFiltering(QSGTexture::Filtering filtering);
    void setRect(const QRectF& rect);
    // The part of the texture to show, in its pixels; empty shows all of it.
    void setSourceRect(const QRectF& rect);
    void setRadius(qreal radius);

    // Points of each quarter circle, ends included (odd: one lies at 45°).
    static constexpr int pointsPerCorner = 9;

private:
    void updateGeometry();

    QSGGeometry m_geometry;
    QSGOpaqueTextureMaterial m_opaqueMaterial;
    QSGTextureMaterial m_material;
    QRectF m_rect;
    QRectF m_sourceRect;
    qreal m_radius = 0;
    bool m_ownsTexture = false;
};
