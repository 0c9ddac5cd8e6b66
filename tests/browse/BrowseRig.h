#pragma once

#include "LibraryRig.h"

#include <QSize>
#include <QStringList>

// A library whose catalogue holds the given tags and wallpapers.
class BrowseRig : public LibraryRig
{
public:
    explicit BrowseRig(const QList<APITag>& tags = {})
    {
        catalogue.discover.autoAnswer = Result<DiscoverResponse>(DiscoverResponse{});
        catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{{QStringLiteral("all"), tags}});
        catalogue.category.autoAnswer = Result<QList<APIWallpaper>>(QList<APIWallpaper>{});
        startOnAllDisplays();
        QVERIFY(refreshed());
    }

    void add(const QList<Wallpaper>& wallpapers) { manager->mergeIntoLibrary(wallpapers).waitForFinished(); }
};

inline APITag catalogueTag(const QString& id, const QString& group, std::optional<QString> parent = std::nullopt,
                           qint64 sortOrder = 0, QString name = {})
{
    APITag tag;
    tag.id = id;
    tag.name = name.isEmpty() ? id : name;
    tag.groupName = group;
    tag.parentId = std::move(parent);
    tag.sortOrder = sortOrder;
    return tag;
}

// Catalogue item n of the category Nature, changed as the test needs.
struct Item
{
    int n;
    QString title = {};
    QStringList tags = {};
    qint64 downloads = 0;
    QSize size = QSize(3840, 2160);
    QString creator = QStringLiteral("Someone");
    WallpaperCategory category = WallpaperCategory::nature;

    operator Wallpaper() const
    {
        Wallpaper wallpaper = catalogueItem(n);
        if (!title.isEmpty())
            wallpaper.edit().title = title;
        wallpaper.edit().tags = tags;
        wallpaper.edit().downloadCount = downloads;
        wallpaper.edit().resolution = size;
        wallpaper.edit().creator.name = creator;
        wallpaper.edit().category = category;
        wallpaper.edit().dateAdded = QDateTime::fromSecsSinceEpoch(1'700'000'000 + n);
        return wallpaper;
    }
};

inline QStringList titles(const QAbstractItemModel& model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.index(row, 0).data(WallpaperListModel::WallpaperRole).value<Wallpaper>().title());
    return result;
}
