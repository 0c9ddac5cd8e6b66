#include "AppLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// No window can be wider than Qt's largest window size, so no grid needs more columns.
constexpr double kWidestWindow = 16777215.0;

} // namespace

AppLayout::AppLayout(QObject* parent)
    : QObject(parent)
{
}

GridColumns AppLayout::gridColumns(double width)
{
    GridColumns columns{1, kGridColumnWidth, kGridSpacing};
    // Also false for NaN; keeps the conversion below within int.
    if (!(width > 0.0) || !std::isfinite(width))
        return columns;
    const double fitting
        = std::trunc((std::min(width, kWidestWindow) + kGridSpacing) / (kGridColumnWidth + kGridSpacing));
    columns.count = std::max(1, static_cast<int>(fitting));
    return columns;
}
