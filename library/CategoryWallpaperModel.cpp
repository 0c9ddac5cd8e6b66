#include "CategoryWallpaperModel.h"

#include "WallpaperListModel.h"

CategoryWallpaperModel::CategoryWallpaperModel(WallpaperCategory category, QAbstractItemModel& allWallpapers,
                                               QObject* parent)
    : QSortFilterProxyModel(parent), m_category(category), m_categoryName(rawValue(category))
{
    setFilterRole(WallpaperListModel::CategoryRole);
    setSourceModel(&allWallpapers);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, signal, this, &CategoryWallpaperModel::countChanged);
    connect(this, &QAbstractItemModel::modelReset, this, &CategoryWallpaperModel::countChanged);
    connect(this, &QAbstractItemModel::layoutChanged, this, &CategoryWallpaperModel::countChanged);
}

void CategoryWallpaperModel::setLoading(bool loading)
{
    if (m_loading == loading)
        return;
    m_loading = loading;
    emit loadingChanged();
}

bool CategoryWallpaperModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return index.data(WallpaperListModel::CategoryRole).toString() == m_categoryName;
}
