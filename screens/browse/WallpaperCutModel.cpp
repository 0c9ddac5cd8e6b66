#include "WallpaperCutModel.h"

#include "ModelSignals.h"

WallpaperCutModel::WallpaperCutModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    ModelSignals::onRowsChanged(this, this, &WallpaperCutModel::countChanged);
}

void WallpaperCutModel::setSource(QAbstractItemModel* source)
{
    if (source == sourceModel())
        return;
    if (sourceModel())
        sourceModel()->disconnect(this);
    setSourceModel(source);
    if (source) {
        // A row added or removed ahead of the cut moves others across it,
        // which the proxy would not test again by itself.
        ModelSignals::onRowsChanged(source, this, [this] { invalidateRowsFilter(); });
    }
    emit sourceChanged();
}

void WallpaperCutModel::setLimit(int limit)
{
    if (m_limit == limit)
        return;
    m_limit = limit;
    invalidateRowsFilter();
    emit limitChanged();
}

bool WallpaperCutModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    return m_limit < 0 || sourceRow < m_limit;
}
