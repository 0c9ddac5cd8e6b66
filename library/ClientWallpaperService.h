#pragma once

#include "WallpaperService.h"

#include <functional>

class LantoAPIClient;

// The library's service calls over the service client. Whether the user is
// signed in and the content download come from the account and download
// services, handed in by whoever creates them.
class ClientWallpaperService final : public WallpaperService
{
public:
    using SignedIn = std::function<bool()>;
    using Download = std::function<QFuture<Fetched<QUrl>>(
        const QString& cloudID, const QString& contentPath, const std::optional<QString>& posterPath, Progress)>;

    ClientWallpaperService(LantoAPIClient& client, SignedIn signedIn, Download download);

    bool isSignedIn() const override;
    void recordEvent(UsageEvent event, const QString& cloudID) override;
    QFuture<std::optional<QString>> syncFavorite(const QString& cloudID, bool isFavorite) override;
    void withdrawSubmission(const QString& cloudID) override;
    QFuture<Fetched<QUrl>> downloadContent(const QString& cloudID, const QString& contentPath,
        const std::optional<QString>& posterPath, Progress onProgress) override;

private:
    LantoAPIClient& m_client;
    SignedIn m_signedIn;
    Download m_download;
};
