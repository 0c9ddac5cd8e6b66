#include "ScreenTileMetrics.h"

ScreenTileMetrics::ScreenTileMetrics(QObject* parent) : QObject(parent) {}

void ScreenTileMetrics::setCompact(bool value) { set(m_compact, value); }
void ScreenTileMetrics::setSelected(bool value) { set(m_selected, value); }
void ScreenTileMetrics::setHovered(bool value) { set(m_hovered, value); }

void ScreenTileMetrics::set(bool& field, bool value)
{
    if (field == value)
        return;
    field = value;
    emit changed();
}

double ScreenTileMetrics::growth() const
{
    if (m_compact)
        return 1;
    return m_selected ? 1.06 : m_hovered ? 1.04 : 1;
}
