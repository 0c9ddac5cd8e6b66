#include "ProfileWallpaperPager.h"

#include "LantoAPIClient.h"

ProfileWallpaperPager::ProfileWallpaperPager(LantoAPIClient& client, QObject* parent)
    : QObject(parent), m_client(client)
{
}

void ProfileWallpaperPager::fetch(const QString& profileId, Finished finished)
{
    fetchPage(++m_generation, profileId, 1, {}, finished);
}

void ProfileWallpaperPager::fetchPage(quint64 generation, const QString& profileId, qint64 page,
    QList<APIWallpaper> collected, const Finished& finished)
{
    m_client.fetchProfileWallpapers(profileId, page)
        .then(this, [=, this](const Result<ProfileWallpapersResponse>& reply) mutable {
            if (generation != m_generation)
                return;
            if (!reply)
                return finished(reply.error());
            const QList<APIWallpaper>& wallpapers = reply.value().wallpapers;
            collected.append(wallpapers);
            if (wallpapers.size() >= fullPage && page < maximumPages)
                return fetchPage(generation, profileId, page + 1, std::move(collected), finished);
            finished(collected);
        });
}
