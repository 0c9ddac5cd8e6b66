#pragma once

#include "Creator.h"
#include "ProfileWallpaperPager.h"
#include "Wallpaper.h"
#include "WallpaperList.h"
#include "WallpaperListModel.h"

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

class LantoAPIClient;

// A creator's public wallpapers as the creator page shows them: fetched once
// the creator is set, then narrowed by the search text and put in the chosen
// order. Main thread.
class CreatorWallpapers : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(Creator creator READ creator WRITE setCreator NOTIFY creatorChanged)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
    // Every fetched wallpaper, whatever the search.
    Q_PROPERTY(int totalCount READ totalCount NOTIFY fetchedChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(QString sortOption READ sortOptionName WRITE setSortOptionName NOTIFY sortOptionChanged)
    Q_PROPERTY(QStringList sortOptions READ sortOptionNames CONSTANT)
    Q_PROPERTY(WallpaperListModel* wallpapers READ wallpapers CONSTANT)

public:
    enum class SortOption { newest, popular, alphabetical };

    static QString rawValue(SortOption option);
    static QStringList sortOptionNames();
    // The search (trimmed of spaces and tabs, case ignored) over title, category and tags, then the stable sort.
    static QList<Wallpaper> filteredAndSorted(QList<Wallpaper> wallpapers, const QString& searchText, SortOption option);

    // Over the environment's service client.
    explicit CreatorWallpapers(QObject* parent = nullptr);
    CreatorWallpapers(LantoAPIClient* client, QObject* parent);

    Creator creator() const { return m_creator; }
    // Starts the fetch: the page is made for one creator.
    void setCreator(const Creator& creator);
    bool isLoading() const { return m_isLoading; }
    int totalCount() const { return int(m_fetched.size()); }
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString& text);
    QString sortOptionName() const { return rawValue(m_sortOption); }
    void setSortOptionName(const QString& name);
    WallpaperListModel* wallpapers() { return &m_model; }
    const WallpaperList& list() const { return m_list; }

signals:
    void creatorChanged();
    void isLoadingChanged();
    void fetchedChanged();
    void searchTextChanged();
    void sortOptionChanged();

private:
    void finishLoading();
    void rebuild();

    std::optional<ProfileWallpaperPager> m_pager;
    Creator m_creator;
    bool m_isLoading = true;
    QList<Wallpaper> m_fetched;
    QString m_searchText;
    SortOption m_sortOption = SortOption::newest;
    WallpaperList m_list;
    WallpaperListModel m_model { m_list };
};
