#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// The display preview's strip: which displays it shows (five at a time with
// paging once there are six or more) and how large it is.
class DisplayStrip : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int displayCount READ displayCount WRITE setDisplayCount NOTIFY changed)
    Q_PROPERTY(bool compact READ compact WRITE setCompact NOTIFY changed)
    Q_PROPERTY(int scrollOffset READ scrollOffset NOTIFY changed)
    Q_PROPERTY(bool paging READ paging NOTIFY changed)
    Q_PROPERTY(int firstShown READ firstShown NOTIFY changed)
    Q_PROPERTY(int endShown READ endShown NOTIFY changed)
    Q_PROPERTY(bool canGoBack READ canGoBack NOTIFY changed)
    Q_PROPERTY(bool canGoForward READ canGoForward NOTIFY changed)
    Q_PROPERTY(double width READ width NOTIFY changed)
    Q_PROPERTY(double height READ height NOTIFY changed)
    Q_PROPERTY(double cornerRadius READ cornerRadius NOTIFY changed)
    Q_PROPERTY(double gap READ gap NOTIFY changed)

public:
    static constexpr int pageSize = 5;

    explicit DisplayStrip(QObject* parent = nullptr);

    int displayCount() const { return m_displayCount; }
    void setDisplayCount(int count);
    bool compact() const { return m_compact; }
    void setCompact(bool compact);
    // Kept when the number of displays changes; the start index is capped instead.
    int scrollOffset() const { return m_scrollOffset; }

    bool paging() const { return m_displayCount >= pageSize + 1; }
    // The shown displays are firstShown up to, not including, endShown.
    int firstShown() const;
    int endShown() const;
    bool canGoBack() const { return paging() && m_scrollOffset >= 1; }
    bool canGoForward() const { return paging() && m_scrollOffset < m_displayCount - pageSize; }
    double width() const;
    double height() const { return m_compact ? 45 : 68; }
    double cornerRadius() const { return height() * 0.18; }
    double gap() const { return m_compact ? 10 : 18; }

    Q_INVOKABLE void goBack();
    Q_INVOKABLE void goForward();

signals:
    void changed();

private:
    void setScrollOffset(int offset);

    int m_displayCount = 0;
    bool m_compact = false;
    int m_scrollOffset = 0;
};

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
