#include "ClientCatalogue.h"

#include "CloudService.h"
#include "LantoAPIClient.h"

QFuture<Result<DiscoverResponse>> ClientCatalogue::fetchDiscover() { return m_client.fetchDiscover(); }

QFuture<Result<TagGroups>> ClientCatalogue::fetchTags() { return m_client.fetchTags(); }

QFuture<Result<QList<APIWallpaper>>> ClientCatalogue::fetchWallpapers(const QString& categoryKey)
{
    return m_client.fetchWallpapers(categoryKey);
}

QFuture<Fetched<APIWallpaper>> ClientCatalogue::fetchWallpaper(const QString& id)
{
    return m_client.fetchWallpaper(id).then(&fetchedFrom<APIWallpaper>);
}

QFuture<std::optional<QUrl>> ClientCatalogue::fetchThumbnail(const QString& wallpaperId, const QString& thumbnailPath)
{
    return m_cloud.fetchThumbnail(wallpaperId, thumbnailPath);
}
