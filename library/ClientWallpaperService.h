#pragma once

#include "WallpaperService.h"

#include <functional>

class CloudService;
class LantoAPIClient;

// The library's service calls over the service client and the download
// service. Whether the user is signed in comes from the account service,
// handed in by whoever creates it.
class ClientWallpaperService final : public WallpaperService
{
public:
    using SignedIn = std::function<bool()>;
    using Download = std::function<QFuture<Fetched<QUrl>>(
        const QString& cloudID, const QString& contentPath, const std::optional<QString>& posterPath, Progress)>;

    ClientWallpaperService(LantoAPIClient& client, CloudService& cloud, SignedIn signedIn);

    bool isSignedIn() const override;
    void recordEvent(UsageEvent event, const QString& cloudID) override;
    QFuture<std::optional<QString>> syncFavorite(const QString& cloudID, bool isFavorite) override;
    void withdrawSubmission(const QString& cloudID) override;
    QFuture<Fetched<QUrl>> downloadContent(const QString& cloudID, const QString& contentPath,
        const std::optional<QString>& posterPath, Progress onProgress) override;

private:
    LantoAPIClient& m_client;
    CloudService& m_cloud;
    SignedIn m_signedIn;
};
