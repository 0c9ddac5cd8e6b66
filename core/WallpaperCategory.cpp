#include "WallpaperCategory.h"

#include "SystemColor.h"

#include <QHashFunctions>

#include <array>

namespace {

struct CategoryInfo
{
    WallpaperCategory category;
    const char* rawValue;
    const char* icon;
    SystemColor color;
    const char* serviceKey;
};

// In enumeration order, so a category indexes its own row.
constexpr std::array<CategoryInfo, 12> categoryTable{{
    {WallpaperCategory::anime, "Anime", "sparkles.tv", SystemColor::pink, "anime"},
    {WallpaperCategory::animals, "Animals", "pawprint.fill", SystemColor::orange, "animals"},
    {WallpaperCategory::cartoon, "Cartoon", "pencil.and.outline", SystemColor::yellow, "cartoon"},
    {WallpaperCategory::gaming, "Gaming", "gamecontroller.fill", SystemColor::green, "gaming"},
    {WallpaperCategory::movies, "Movies", "film.stack", SystemColor::red, "movies"},
    {WallpaperCategory::tvShows, "TV Shows", "tv", SystemColor::blue, "tvShows"},
    {WallpaperCategory::nature, "Nature", "leaf", SystemColor::green, "nature"},
    {WallpaperCategory::space, "Space", "sparkles", SystemColor::indigo, "space"},
    {WallpaperCategory::digitalArt, "Digital Art", "paintpalette.fill", SystemColor::purple, "digitalArt"},
    {WallpaperCategory::cinematic, "Cinematic", "film", SystemColor::orange, "cinematic"},
    {WallpaperCategory::vehicles, "Vehicles", "car.fill", SystemColor::blue, "vehicles"},
    {WallpaperCategory::sciFi, "Sci-Fi", "antenna.radiowaves.left.and.right", SystemColor::cyan, "sciFi"},
}};

constexpr bool tableFollowsEnumeration()
{
    for (std::size_t i = 0; i < categoryTable.size(); ++i) {
        if (static_cast<std::size_t>(categoryTable[i].category) != i)
            return false;
    }
    return true;
}
static_assert(tableFollowsEnumeration(), "category table out of enumeration order");

const CategoryInfo& info(WallpaperCategory category)
{
    return categoryTable[static_cast<std::size_t>(category)];
}

} // namespace

QString rawValue(WallpaperCategory category)
{
    return QString::fromLatin1(info(category).rawValue);
}

QString icon(WallpaperCategory category)
{
    return QString::fromLatin1(info(category).icon);
}

QColor color(WallpaperCategory category)
{
    return systemColor(info(category).color);
}

QString serviceKey(WallpaperCategory category)
{
    return QString::fromLatin1(info(category).serviceKey);
}

size_t qHash(WallpaperCategory category, size_t seed) noexcept
{
    return qHash(rawValue(category), seed);
}

namespace WallpaperCategories {

const QList<WallpaperCategory>& allCases()
{
    static const QList<WallpaperCategory> cases = [] {
        QList<WallpaperCategory> list;
        for (const CategoryInfo& row : categoryTable)
            list.append(row.category);
        return list;
    }();
    return cases;
}

std::optional<WallpaperCategory> fromRawValue(const QString& text)
{
    for (const CategoryInfo& row : categoryTable) {
        if (text == QLatin1StringView(row.rawValue))
            return row.category;
    }
    return std::nullopt;
}

} // namespace WallpaperCategories
