#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

// The twelve fixed catalogue categories, in the order of the category grid.
enum class WallpaperCategory {
    anime,
    animals,
    cartoon,
    gaming,
    movies,
    tvShows,
    nature,
    space,
    digitalArt,
    cinematic,
    vehicles,
    sciFi,
};

// Display name, also the text a category is stored and hashed as.
QString rawValue(WallpaperCategory category);
// Symbol name of the category's icon.
QString icon(WallpaperCategory category);
QColor color(WallpaperCategory category);
// What the service expects when asked for one category.
QString serviceKey(WallpaperCategory category);

size_t qHash(WallpaperCategory category, size_t seed = 0) noexcept;

namespace WallpaperCategories {

// Every category, in grid order.
const QList<WallpaperCategory>& allCases();

// Exactly one of the twelve display names (case matters); nothing for any other text.
std::optional<WallpaperCategory> fromRawValue(const QString& text);

} // namespace WallpaperCategories
