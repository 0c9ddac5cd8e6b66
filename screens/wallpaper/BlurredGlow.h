#pragma once

#include <QColor>
#include <QImage>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

#include <array>

// One glow of the live background, drawn once and then only moved: a radial
// ramp of colour at strength, faint in the middle and strongest at the rim and
// beyond it, softened by a blur of blurRadius. The picture is made at a fraction
// of the item's size (a blurred ramp scales up without visible loss) whenever
// the colour, strength or size changes, and turning the item only transforms
// the finished texture. It spills blurRadius * 2 past the item's edges, as a
// blur of the whole field would. Takes no input.
class BlurredGlow : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor colour READ colour WRITE setColour NOTIFY colourChanged)
    Q_PROPERTY(qreal strength READ strength WRITE setStrength NOTIFY strengthChanged)
    Q_PROPERTY(qreal blurRadius READ blurRadius WRITE setBlurRadius NOTIFY blurRadiusChanged)
    // How many pixels of the picture make one pixel of the item, above 0 and at most 1.
    Q_PROPERTY(qreal resolution READ resolution WRITE setResolution NOTIFY resolutionChanged)
    // How many times the picture has been made; for tests.
    Q_PROPERTY(int renders READ renders NOTIFY rendersChanged)

public:
    // Ramp positions from the rim (1) inwards, and the share of strength at each.
    static constexpr std::array<double, 16> stopLocations { 1.0, 0.99, 0.96, 0.92, 0.85, 0.77, 0.67, 0.56, 0.44, 0.33,
        0.23, 0.15, 0.08, 0.04, 0.01, 0.0 };
    static constexpr std::array<double, 16> stopStrengths { 1.0, 0.97, 0.91, 0.83, 0.72, 0.6, 0.47, 0.35, 0.24, 0.16,
        0.1, 0.06, 0.03, 0.015, 0.005, 0.0 };

    explicit BlurredGlow(QQuickItem* parent = nullptr);

    // The picture for a glow of size (pixels) with blur radius (pixels), margin included.
    static QImage render(const QColor& colour, qreal strength, QSize size, qreal blurRadius);

    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);
    qreal strength() const { return m_strength; }
    void setStrength(qreal strength);
    qreal blurRadius() const { return m_blurRadius; }
    void setBlurRadius(qreal radius);
    qreal resolution() const { return m_resolution; }
    void setResolution(qreal resolution);
    int renders() const { return m_renders; }

signals:
    void colourChanged();
    void strengthChanged();
    void blurRadiusChanged();
    void resolutionChanged();
    void rendersChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void updatePolish() override;

private:
    void invalidate();

    QColor m_colour = Qt::black;
    qreal m_strength = 0;
    qreal m_blurRadius = 0;
    qreal m_resolution;
    int m_renders = 0;
    QImage m_picture;
    bool m_pictureChanged = false;
};
