#include "UltraWide.h"

#include "Displays.h"
#include "LocalLibrary.h"
#include "ScreenModel.h"

#include <algorithm>

namespace UltraWide {

bool isUltraWide(QSizeF size)
{
    return size.height() > 0 && size.width() / size.height() >= 2.0;
}

QSizeF displayPixels(const Displays& displays, quint32 number)
{
    for (const ConnectedDisplay& display : displays.displays()) {
        if (display.number != number)
            continue;
        const qreal ratio = display.screen ? display.screen->devicePixelRatio() : 1.0;
        return QSizeF(display.frame.size()) * ratio;
    }
    return {};
}

bool anyUltraWideScreen(const QList<ScreenModel>& screens, const Displays& displays)
{
    return std::any_of(screens.cbegin(), screens.cend(), [&](const ScreenModel& screen) {
        const QSizeF pixels = displayPixels(displays, screen.serialNumber());
        return pixels.height() >= 1 && isUltraWide(pixels);
    });
}

QList<Wallpaper> catalogueWallpapers(const QList<Wallpaper>& all, const LocalLibrary& library)
{
    QList<Wallpaper> kept;
    // The size test first: it is cheap, and leaves few records for the disk check.
    for (const Wallpaper& wallpaper : all) {
        if (isUltraWide(wallpaper.resolution()) && !library.hasLocalMetadata(wallpaper))
            kept.append(wallpaper);
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Wallpaper& a, const Wallpaper& b) { return a.downloadCount() > b.downloadCount(); });
    return kept;
}

} // namespace UltraWide
