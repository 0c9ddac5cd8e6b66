#include "DisplayStrip.h"

#include <algorithm>

DisplayStrip::DisplayStrip(QObject* parent) : QObject(parent) {}

void DisplayStrip::setDisplayCount(int count)
{
    count = std::max(count, 0);
    if (m_displayCount == count)
        return;
    m_displayCount = count;
    emit changed();
}

void DisplayStrip::setCompact(bool compact)
{
    if (m_compact == compact)
        return;
    m_compact = compact;
    emit changed();
}

int DisplayStrip::firstShown() const
{
    if (!paging() || m_scrollOffset <= 0)
        return 0;
    return std::min(m_scrollOffset, m_displayCount);
}

int DisplayStrip::endShown() const
{
    if (!paging())
        return m_displayCount;
    return std::min(firstShown() + pageSize, m_displayCount);
}

double DisplayStrip::width() const
{
    const int tiles = paging() ? pageSize : m_displayCount;
    const double tileWidth = m_compact ? 51 : 84;
    const double margin = m_compact ? 32 : 48;
    const double arrows = paging() ? 56 : 0;
    return arrows + margin + tiles * tileWidth + gap() * (tiles > 1 ? tiles - 1 : 0);
}

void DisplayStrip::goBack()
{
    if (canGoBack())
        setScrollOffset(std::max(m_scrollOffset - 1, 0));
}

void DisplayStrip::goForward()
{
    if (canGoForward())
        setScrollOffset(std::min(m_displayCount - pageSize, m_scrollOffset + 1));
}

void DisplayStrip::setScrollOffset(int offset)
{
    if (m_scrollOffset == offset)
        return;
    m_scrollOffset = offset;
    emit changed();
}
