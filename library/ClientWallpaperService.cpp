#include "ClientWallpaperService.h"

#include "CloudService.h"
#include "LantoAPIClient.h"

ClientWallpaperService::ClientWallpaperService(LantoAPIClient& client, CloudService& cloud, SignedIn signedIn)
    : m_client(client), m_cloud(cloud), m_signedIn(std::move(signedIn))
{
}

bool ClientWallpaperService::isSignedIn() const { return m_signedIn(); }

void ClientWallpaperService::recordEvent(UsageEvent event, const QString& cloudID)
{
    // Counted by the service only; a failure is nobody's concern.
    m_client.recordEvent(event, cloudID);
}

QFuture<std::optional<QString>> ClientWallpaperService::syncFavorite(const QString& cloudID, bool isFavorite)
{
    QFuture<Result<Done>> request = isFavorite ? m_client.addFavorite(cloudID) : m_client.removeFavorite(cloudID);
    return request.then([](const Result<Done>& result) -> std::optional<QString> {
        if (result)
            return std::nullopt;
        return result.error().description();
    });
}

void ClientWallpaperService::withdrawSubmission(const QString& cloudID) { m_client.deleteSubmission(cloudID); }

QFuture<Fetched<QUrl>> ClientWallpaperService::downloadContent(
    const QString& cloudID, const QString& contentPath, const std::optional<QString>& posterPath, Progress onProgress)
{
    return m_cloud.downloadContent(cloudID, contentPath, posterPath, std::move(onProgress))
        .then(&fetchedFrom<QUrl>);
}
