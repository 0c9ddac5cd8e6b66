#include "BlurredGlow.h"

#include "ImageBlur.h"
#include "PictureNode.h"
#include "WindowRenderPath.h"

#include <QPainter>
#include <QQuickWindow>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

BlurredGlow::BlurredGlow(QQuickItem* parent)
    : QQuickItem(parent), m_resolution(WindowRenderPath::current().backgroundResolution)
{
    setFlag(ItemHasContents);
}

QImage BlurredGlow::render(const QColor& colour, qreal strength, QSize size, qreal blurRadius)
{
    // A circle in a unit square, stretched to the glow's size: an ellipse touching its edges.
    QRadialGradient ramp(QPointF(0.5, 0.5), 0.5);
    for (size_t k = 0; k < stopLocations.size(); ++k) {
        QColor stop = colour.toRgb();
        stop.setAlphaF(float(std::clamp(strength * stopStrengths[k], 0.0, 1.0)));
        ramp.setColorAt(stopLocations[k], stop);
    }
    return ImageBlur::blurred(size, blurRadius, [&](QPainter& painter) {
        painter.scale(size.width(), size.height());
        painter.fillRect(QRectF(0, 0, 1, 1), ramp);
    });
}

void BlurredGlow::setColour(const QColor& colour)
{
    if (m_colour == colour)
        return;
    m_colour = colour;
    emit colourChanged();
    invalidate();
}

void BlurredGlow::setStrength(qreal strength)
{
    if (qFuzzyCompare(m_strength, strength))
        return;
    m_strength = strength;
    emit strengthChanged();
    invalidate();
}

void BlurredGlow::setBlurRadius(qreal radius)
{
    if (qFuzzyCompare(m_blurRadius, radius))
        return;
    m_blurRadius = radius;
    emit blurRadiusChanged();
    invalidate();
}

void BlurredGlow::setResolution(qreal resolution)
{
    resolution = std::clamp(resolution, 0.01, 1.0);
    if (qFuzzyCompare(m_resolution, resolution))
        return;
    m_resolution = resolution;
    emit resolutionChanged();
    invalidate();
}

void BlurredGlow::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        invalidate();
}

// Several changes in one turn of the event loop make one picture.
void BlurredGlow::invalidate() { polish(); }

void BlurredGlow::updatePolish()
{
    const QSize size(std::max(1, int(std::lround(width() * m_resolution))),
        std::max(1, int(std::lround(height() * m_resolution))));
    m_picture = render(m_colour, m_strength, size, m_blurRadius * m_resolution);
    m_pictureChanged = true;
    ++m_renders;
    emit rendersChanged();
    update();
}

QSGNode* BlurredGlow::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    const qreal margin = ImageBlur::marginFor(m_blurRadius * m_resolution) / m_resolution;
    return PictureNode::update(*this, old, m_picture, m_pictureChanged,
        QRectF(-margin, -margin, width() + 2 * margin, height() + 2 * margin));
}
