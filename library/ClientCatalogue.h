#pragma once

#include "CatalogueSource.h"
#include "ThumbnailSource.h"
#include "WallpaperLookup.h"

class CloudService;
class LantoAPIClient;

// The library's catalogue, single-record and thumbnail reads over the service
// client and the download service.
class ClientCatalogue final : public CatalogueSource, public ThumbnailSource, public WallpaperLookup
{
public:
    ClientCatalogue(LantoAPIClient& client, CloudService& cloud) : m_client(client), m_cloud(cloud) { }

    QFuture<Result<DiscoverResponse>> fetchDiscover() override;
    QFuture<Result<TagGroups>> fetchTags() override;
    QFuture<Result<QList<APIWallpaper>>> fetchWallpapers(const QString& categoryKey) override;
    QFuture<Fetched<APIWallpaper>> fetchWallpaper(const QString& id) override;
    QFuture<std::optional<QUrl>> fetchThumbnail(const QString& wallpaperId, const QString& thumbnailPath) override;

private:
    LantoAPIClient& m_client;
    CloudService& m_cloud;
};
