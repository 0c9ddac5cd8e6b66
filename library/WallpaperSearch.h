#pragma once

#include "Wallpaper.h"

#include <QList>
#include <QString>

#include <functional>

// The wallpapers, in order, whose title, creator name or a tag contains the
// query, or whose category is named by it, ignoring case; excluded ones never
// match. An empty query gives every wallpaper.
QList<Wallpaper> searchWallpapers(
    const QList<Wallpaper>& wallpapers, const QString& query, const std::function<bool(const Wallpaper&)>& excluded);
