#include "CategoryBrowserModel.h"

#include "CategoryWallpaperModel.h"
#include "ModelSignals.h"
#include "Rebind.h"
#include "SearchQuery.h"
#include "UltraWide.h"
#include "WallpaperListModel.h"
#include "WallpaperManager.h"

#include <algorithm>

namespace {

Wallpaper recordAt(const QModelIndex& index)
{
    return index.data(WallpaperListModel::WallpaperRole).value<Wallpaper>();
}

// -1, 0 or 1 as a sorts before, with or after b in the order's default direction.
template <typename T> int descending(const T& a, const T& b)
{
    return a > b ? -1 : (b > a ? 1 : 0);
}

int compare(CategoryBrowserModel::SortOrder order, const Wallpaper& a, const Wallpaper& b)
{
    switch (order) {
    case CategoryBrowserModel::Popular: return descending(a.downloadCount(), b.downloadCount());
    case CategoryBrowserModel::Newest: return descending(a.dateAdded(), b.dateAdded());
    case CategoryBrowserModel::NameAZ: return -descending(a.title(), b.title()); // plain code-unit order
    }
    return 0;
}

} // namespace

CategoryBrowserModel::CategoryBrowserModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    // The direction is applied in lessThan, so that ties keep library order either way.
    sort(0, Qt::AscendingOrder);
    ModelSignals::onRowsChanged(this, this, &CategoryBrowserModel::countChanged);
}

void CategoryBrowserModel::setManager(WallpaperManager* manager)
{
    const bool changed = rebind(m_manager, manager, this, [this](WallpaperManager* next) {
        connect(next, &WallpaperManager::tagCatalogChanged, this, [this] {
            updateTagIds();
            invalidateRowsFilter();
        });
        connect(next, &WallpaperManager::categoryErrorsChanged, this, &CategoryBrowserModel::loadErrorChanged);
        connect(next, &WallpaperManager::manifestErrorChanged, this, &CategoryBrowserModel::loadErrorChanged);
    });
    if (!changed)
        return;
    updateTagIds();
    showCategory();
    emit managerChanged();
}

void CategoryBrowserModel::setCategory(const QString& category)
{
    if (m_category == category)
        return;
    m_category = category;
    showCategory();
}

void CategoryBrowserModel::showCategory()
{
    const std::optional<WallpaperCategory> category = WallpaperCategories::fromRawValue(m_category);
    // Asking for the category's list starts its load from the service the first time.
    QAbstractItemModel* source = m_manager && category ? m_manager->categoryModel(*category) : nullptr;
    if (source != sourceModel())
        setSourceModel(source);
    emit categoryChanged();
    emit loadErrorChanged();
}

QString CategoryBrowserModel::loadError() const
{
    const std::optional<WallpaperCategory> category = WallpaperCategories::fromRawValue(m_category);
    if (!m_manager || !category)
        return {};
    const QString own = m_manager->categoryError(*category);
    return own.isEmpty() ? m_manager->manifestErrorText() : own;
}

void CategoryBrowserModel::retry()
{
    const std::optional<WallpaperCategory> category = WallpaperCategories::fromRawValue(m_category);
    if (!m_manager || !category)
        return;
    if (!m_manager->categoryError(*category).isEmpty())
        m_manager->reloadCategory(*category);
    if (!m_manager->manifestErrorText().isEmpty())
        m_manager->retryCatalogue();
}

void CategoryBrowserModel::setSelectedTagId(const QString& tagId)
{
    if (m_selectedTagId == tagId)
        return;
    m_selectedTagId = tagId;
    updateTagIds();
    invalidateRowsFilter();
    emit selectedTagIdChanged();
}

void CategoryBrowserModel::setSortOrder(SortOrder order)
{
    if (m_sortOrder == order)
        return;
    m_sortOrder = order;
    invalidate();
    emit sortOrderChanged();
}

void CategoryBrowserModel::setSortAscending(bool ascending)
{
    if (m_sortAscending == ascending)
        return;
    m_sortAscending = ascending;
    invalidate();
    emit sortAscendingChanged();
}

void CategoryBrowserModel::setSearchText(const QString& text)
{
    if (m_searchText == text)
        return;
    m_searchText = text;
    m_query = SearchQuery::trimmed(text);
    invalidateRowsFilter();
    emit searchTextChanged();
}

void CategoryBrowserModel::setFilterUltraWide(bool filter)
{
    if (m_filterUltraWide == filter)
        return;
    m_filterUltraWide = filter;
    invalidateRowsFilter();
    emit filterUltraWideChanged();
}

QStringList CategoryBrowserModel::sortOrderNames()
{
    return {QStringLiteral("Popular"), QStringLiteral("Newest"), QStringLiteral("A-Z")};
}

void CategoryBrowserModel::closeCategory()
{
    setSelectedTagId(QString());
    setSortOrder(Popular);
    setSortAscending(false);
    setSearchText(QString());
    setFilterUltraWide(false);
    setCategory(QString());
}

void CategoryBrowserModel::updateTagIds()
{
    m_tagIds.reset();
    if (m_selectedTagId.isEmpty() || !m_manager)
        return;
    const auto& catalog = m_manager->tagCatalog();
    const auto tag = catalog.constFind(m_selectedTagId);
    // A tag the catalogue does not know filters nothing.
    if (tag == catalog.cend())
        return;
    QSet<QString> ids{m_selectedTagId};
    if (tag->groupName == QLatin1String("series")) {
        for (const APITag& child : m_manager->childTags(m_selectedTagId))
            ids.insert(child.id);
    }
    m_tagIds = std::move(ids);
}

bool CategoryBrowserModel::passesTag(const Wallpaper& wallpaper) const
{
    return !m_tagIds || std::any_of(wallpaper.tags().cbegin(), wallpaper.tags().cend(),
                                    [this](const QString& tag) { return m_tagIds->contains(tag); });
}

bool CategoryBrowserModel::passesSearch(const Wallpaper& wallpaper) const
{
    if (m_query.isEmpty())
        return true;
    const auto matches = [this](const QString& text) { return SearchQuery::containsLoosely(text, m_query); };
    return matches(wallpaper.title()) || matches(wallpaper.creator().name)
        || std::any_of(wallpaper.tags().cbegin(), wallpaper.tags().cend(), matches);
}

bool CategoryBrowserModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const Wallpaper wallpaper = recordAt(sourceModel()->index(sourceRow, 0, sourceParent));
    return passesTag(wallpaper) && (!m_filterUltraWide || UltraWide::isUltraWide(wallpaper.resolution()))
        && passesSearch(wallpaper);
}

bool CategoryBrowserModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    int order = compare(m_sortOrder, recordAt(left), recordAt(right));
    if (m_sortAscending)
        order = -order;
    // Ties keep the library's order, also for rows the proxy places one by one.
    return order != 0 ? order < 0 : left.row() < right.row();
}
