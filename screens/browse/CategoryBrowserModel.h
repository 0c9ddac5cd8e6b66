#pragma once

#include "WallpaperManager.h"

#include <QPointer>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

struct Wallpaper;

// The wallpapers of the open category as the category browser shows them:
// narrowed by the selected tag, the ultra-wide filter and the search text,
// then ordered by the chosen sort order. Holds the browser's view state, so
// closing the category puts all of it back to the defaults.
class CategoryBrowserModel : public QSortFilterProxyModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(WallpaperManager* manager READ manager WRITE setManager NOTIFY managerChanged)
    // The open category's display name; empty while none is open.
    Q_PROPERTY(QString category READ category WRITE setCategory NOTIFY categoryChanged)
    // The whole list of the open category, before any filter.
    Q_PROPERTY(QAbstractItemModel* categoryWallpapers READ sourceModel NOTIFY categoryChanged)
    Q_PROPERTY(QString selectedTagId READ selectedTagId WRITE setSelectedTagId NOTIFY selectedTagIdChanged)
    Q_PROPERTY(SortOrder sortOrder READ sortOrder WRITE setSortOrder NOTIFY sortOrderChanged)
    Q_PROPERTY(bool sortAscending READ sortAscending WRITE setSortAscending NOTIFY sortAscendingChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(bool filterUltraWide READ filterUltraWide WRITE setFilterUltraWide NOTIFY filterUltraWideChanged)
    Q_PROPERTY(QStringList sortOrderNames READ sortOrderNames CONSTANT)
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    // Why the open category may be missing wallpapers: its own load failed,
    // or the catalogue could not be refreshed. Empty when neither.
    Q_PROPERTY(QString loadError READ loadError NOTIFY loadErrorChanged)

public:
    enum SortOrder { Popular, Newest, NameAZ };
    Q_ENUM(SortOrder)

    explicit CategoryBrowserModel(QObject* parent = nullptr);

    WallpaperManager* manager() const { return m_manager; }
    void setManager(WallpaperManager* manager);
    QString category() const { return m_category; }
    void setCategory(const QString& category);
    QString selectedTagId() const { return m_selectedTagId; }
    void setSelectedTagId(const QString& tagId);
    SortOrder sortOrder() const { return m_sortOrder; }
    void setSortOrder(SortOrder order);
    bool sortAscending() const { return m_sortAscending; }
    void setSortAscending(bool ascending);
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString& text);
    bool filterUltraWide() const { return m_filterUltraWide; }
    void setFilterUltraWide(bool filter);
    int count() const { return rowCount(); }
    QString loadError() const;

    // The menu labels, in the order of SortOrder.
    static QStringList sortOrderNames();

    // Back to the category cards, with every filter and the sort at its default.
    Q_INVOKABLE void closeCategory();
    // Loads the open category and the catalogue again.
    Q_INVOKABLE void retry();

signals:
    void managerChanged();
    void categoryChanged();
    void selectedTagIdChanged();
    void sortOrderChanged();
    void sortAscendingChanged();
    void searchTextChanged();
    void filterUltraWideChanged();
    void countChanged();
    void loadErrorChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    bool passesTag(const Wallpaper& wallpaper) const;
    bool passesSearch(const Wallpaper& wallpaper) const;
    // The ids a wallpaper must carry one of; none when the tag filters nothing.
    void updateTagIds();
    void showCategory();

    QPointer<WallpaperManager> m_manager;
    QString m_category;
    QString m_selectedTagId;
    SortOrder m_sortOrder = Popular;
    bool m_sortAscending = false;
    QString m_searchText;
    QString m_query; // the search text trimmed
    bool m_filterUltraWide = false;
    std::optional<QSet<QString>> m_tagIds;
};
