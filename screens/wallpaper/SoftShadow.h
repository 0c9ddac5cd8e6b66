#pragma once

#include <QColor>
#include <QImage>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// The soft shadow of a rounded rectangle the size of the item: the shape in
// colour, blurred by blur, spreading about twice that past the item's edges.
// The picture is made once per size, colour, radius and blur (and shared by
// every shadow that asks for the same), so any renderer shows it as a plain
// image. Place it beneath the shape, offset as the light falls. Takes no input.
class SoftShadow : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(qreal blur READ blur WRITE setBlur NOTIFY blurChanged)

public:
    explicit SoftShadow(QQuickItem* parent = nullptr);

    // The picture for a shape of size with corner radius, blurred by blur, margin included.
    static QImage render(QSize size, qreal radius, qreal blur, const QColor& color);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    qreal blur() const { return m_blur; }
    void setBlur(qreal blur);

    bool contains(const QPointF&) const override { return false; }

signals:
    void colorChanged();
    void radiusChanged();
    void blurChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void updatePolish() override;

private:
    QColor m_color = Qt::black;
    qreal m_radius = 0;
    qreal m_blur = 0;
    QImage m_picture;
    bool m_pictureChanged = false;
};
