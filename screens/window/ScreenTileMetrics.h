#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// One display tile's sizes: it grows a little when selected or hovered (never
// when compact), and its border follows the same states.
class ScreenTileMetrics : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool compact READ compact WRITE setCompact NOTIFY changed)
    Q_PROPERTY(bool selected READ selected WRITE setSelected NOTIFY changed)
    Q_PROPERTY(bool hovered READ hovered WRITE setHovered NOTIFY changed)
    Q_PROPERTY(double growth READ growth NOTIFY changed)
    Q_PROPERTY(double footprintWidth READ footprintWidth NOTIFY changed)
    Q_PROPERTY(double footprintHeight READ footprintHeight NOTIFY changed)
    Q_PROPERTY(double pictureWidth READ pictureWidth NOTIFY changed)
    Q_PROPERTY(double pictureHeight READ pictureHeight NOTIFY changed)
    Q_PROPERTY(double outerRadius READ outerRadius NOTIFY changed)
    Q_PROPERTY(double inset READ inset NOTIFY changed)
    Q_PROPERTY(double innerRadius READ innerRadius NOTIFY changed)
    Q_PROPERTY(double borderWidth READ borderWidth NOTIFY changed)
    Q_PROPERTY(double borderOpacity READ borderOpacity NOTIFY changed)

public:
    explicit ScreenTileMetrics(QObject* parent = nullptr);

    bool compact() const { return m_compact; }
    void setCompact(bool value);
    bool selected() const { return m_selected; }
    void setSelected(bool value);
    bool hovered() const { return m_hovered; }
    void setHovered(bool value);

    // Selection wins over hover.
    double growth() const;
    double footprintWidth() const { return m_compact ? 51 : 84; }
    double footprintHeight() const { return m_compact ? 35 : 56; }
    double pictureWidth() const { return m_compact ? 43 : 72 * growth(); }
    double pictureHeight() const { return m_compact ? 27 : 44 * growth(); }
    double outerRadius() const { return m_compact ? 4 : 8 * growth(); }
    // The bezel around the picture, on every edge.
    double inset() const { return (m_compact ? 2 : 4) * growth(); }
    double innerRadius() const { return outerRadius() - inset() / 2; }
    double borderWidth() const { return m_selected ? 4 : 3; }
    double borderOpacity() const { return m_selected ? 0.9 : m_hovered ? 0.6 : 0.35; }

signals:
    void changed();

private:
    void set(bool& field, bool value);

    bool m_compact = false;
    bool m_selected = false;
    bool m_hovered = false;
};
