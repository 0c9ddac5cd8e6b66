#pragma once

#include "WallpaperCategory.h"

#include <QSortFilterProxyModel>
#include <QtQml/qqmlregistration.h>

// The wallpapers of one category, in library order: a filter over the model
// of every wallpaper, so the page follows each merge without copying the list.
class CategoryWallpaperModel : public QSortFilterProxyModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Lists come from the library")
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    CategoryWallpaperModel(WallpaperCategory category, QAbstractItemModel& allWallpapers, QObject* parent = nullptr);

    WallpaperCategory category() const { return m_category; }
    bool loading() const { return m_loading; }
    void setLoading(bool loading);
    int count() const { return rowCount(); }

signals:
    void loadingChanged();
    void countChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    const WallpaperCategory m_category;
    const QString m_categoryName;
    bool m_loading = false;
};
