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
