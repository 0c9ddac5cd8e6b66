#include "CreatorWallpapers.h"

#include "AppEnvironment.h"
#include "BlankTrim.h"
#include "LantoAPIClient.h"
#include "Log.h"

#include <QCollator>

#include <algorithm>
#include <array>

namespace {

constexpr std::array allOptions { CreatorWallpapers::SortOption::newest, CreatorWallpapers::SortOption::popular,
    CreatorWallpapers::SortOption::alphabetical };

bool matches(const Wallpaper& wallpaper, const QString& query)
{
    if (wallpaper.title().toLower().contains(query) || wallpaper.categoryName().toLower().contains(query))
        return true;
    return std::any_of(wallpaper.tags().cbegin(), wallpaper.tags().cend(),
        [&query](const QString& tag) { return tag.toLower().contains(query); });
}

} // namespace

QString CreatorWallpapers::rawValue(SortOption option)
{
    switch (option) {
    case SortOption::newest: return QStringLiteral("Newest");
    case SortOption::popular: return QStringLiteral("Most Popular");
    case SortOption::alphabetical: return QStringLiteral("A\u2013Z");
    }
    return {};
}

QStringList CreatorWallpapers::sortOptionNames()
{
    QStringList names;
    for (SortOption option : allOptions)
        names.append(rawValue(option));
    return names;
}

QList<Wallpaper> CreatorWallpapers::filteredAndSorted(
    QList<Wallpaper> wallpapers, const QString& searchText, SortOption option)
{
    const QString query = trimmedOfBlanks(searchText).toLower();
    if (!query.isEmpty())
        wallpapers.removeIf([&query](const Wallpaper& wallpaper) { return !matches(wallpaper, query); });
    switch (option) {
    case SortOption::newest:
        std::stable_sort(wallpapers.begin(), wallpapers.end(),
            [](const Wallpaper& a, const Wallpaper& b) { return a.dateAdded() > b.dateAdded(); });
        break;
    case SortOption::popular:
        std::stable_sort(wallpapers.begin(), wallpapers.end(),
            [](const Wallpaper& a, const Wallpaper& b) { return a.downloadCount() > b.downloadCount(); });
        break;
    case SortOption::alphabetical: {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::stable_sort(wallpapers.begin(), wallpapers.end(),
            [&collator](const Wallpaper& a, const Wallpaper& b) { return collator.compare(a.title(), b.title()) < 0; });
        break;
    }
    }
    return wallpapers;
}

CreatorWallpapers::CreatorWallpapers(QObject* parent)
    : CreatorWallpapers(AppEnvironment::installedObjects().apiClient, parent)
{
}

CreatorWallpapers::CreatorWallpapers(LantoAPIClient* client, QObject* parent) : QObject(parent)
{
    if (client)
        m_pager.emplace(*client);
}

void CreatorWallpapers::setCreator(const Creator& creator)
{
    if (m_creator == creator)
        return;
    m_creator = creator;
    emit creatorChanged();
    if (!m_pager || !creator.serverProfileId)
        return finishLoading();
    m_pager->fetch(*creator.serverProfileId, [this](const Result<QList<APIWallpaper>>& fetched) {
        if (!fetched) {
            Log::write(QStringLiteral("Lanto: Failed to fetch creator wallpapers: ") + fetched.error().description());
            return finishLoading();
        }
        m_fetched.clear();
        for (const APIWallpaper& record : fetched.value())
            m_fetched.append(Wallpaper::fromAPIWallpaper(record));
        emit fetchedChanged();
        rebuild();
        finishLoading();
    });
}

void CreatorWallpapers::setSearchText(const QString& text)
{
    if (m_searchText == text)
        return;
    m_searchText = text;
    emit searchTextChanged();
    rebuild();
}

void CreatorWallpapers::setSortOptionName(const QString& name)
{
    for (SortOption option : allOptions) {
        if (rawValue(option) == name && option != m_sortOption) {
            m_sortOption = option;
            emit sortOptionChanged();
            rebuild();
        }
    }
}

void CreatorWallpapers::finishLoading()
{
    if (!std::exchange(m_isLoading, false))
        return;
    emit isLoadingChanged();
}

void CreatorWallpapers::rebuild()
{
    m_list.assign(filteredAndSorted(m_fetched, m_searchText, m_sortOption));
}
