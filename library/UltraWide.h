#pragma once

#include "Wallpaper.h"

#include <QList>
#include <QSizeF>

class Displays;
class LocalLibrary;
class ScreenModel;

// The "For Your Display" rules: a display or wallpaper is ultra-wide when it
// is at least twice as wide as high.
namespace UltraWide {

// A zero or negative height is never ultra-wide.
bool isUltraWide(QSizeF size);

// The size in device pixels of the display with this number; empty when none has it.
QSizeF displayPixels(const Displays& displays, quint32 number);

bool anyUltraWideScreen(const QList<ScreenModel>& screens, const Displays& displays);

// The catalogue wallpapers of ultra-wide size, most downloaded first (equal
// counts keep library order). The user's own items are left out.
QList<Wallpaper> catalogueWallpapers(const QList<Wallpaper>& all, const LocalLibrary& library);

} // namespace UltraWide
