#include "WallpaperSearch.h"

#include "WallpaperCategory.h"

#include <algorithm>

namespace {

// Plain substring and equality tests on lowercased text: no folding of
// accents, no trimming, no word boundaries.
bool matches(const Wallpaper& wallpaper, const QString& query)
{
    return wallpaper.title().toLower().contains(query) || wallpaper.creator().name.toLower().contains(query)
        || rawValue(wallpaper.category()).toLower() == query
        || std::any_of(wallpaper.tags().cbegin(), wallpaper.tags().cend(),
            [&](const QString& tag) { return tag.toLower().contains(query); });
}

} // namespace

QList<Wallpaper> searchWallpapers(
    const QList<Wallpaper>& wallpapers, const QString& query, const std::function<bool(const Wallpaper&)>& excluded)
{
    if (query.isEmpty())
        return wallpapers;
    const QString lowered = query.toLower();
    QList<Wallpaper> found;
    for (const Wallpaper& wallpaper : wallpapers) {
        if (matches(wallpaper, lowered) && !excluded(wallpaper))
            found.append(wallpaper);
    }
    return found;
}
