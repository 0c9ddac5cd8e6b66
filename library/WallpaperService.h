#pragma once

#include "CatalogueSource.h"
#include "LantoAPIClient.h"

#include <QFuture>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// What the library's single-wallpaper operations ask of the web service and
// the download service, behind one narrow interface. Every cloud id is a
// catalogue id. Main thread.
class WallpaperService
{
public:
    using UsageEvent = LantoAPIClient::UsageEvent;
    using Progress = std::function<void(double fraction)>;

    virtual ~WallpaperService() = default;

    virtual bool isSignedIn() const = 0;
    // Sent once and forgotten: failures are dropped.
    virtual void recordEvent(UsageEvent event, const QString& cloudID) = 0;
    // Adds or removes the signed-in user's favourite; finishes with the
    // failure's description, or none on success.
    virtual QFuture<std::optional<QString>> syncFavorite(const QString& cloudID, bool isFavorite) = 0;
    // Withdraws the user's pending submission; failures are dropped.
    virtual void withdrawSubmission(const QString& cloudID) = 0;
    // Writes the content file and "Poster.png" into the wallpaper's folder
    // and gives the content file. Progress 0.0 to 1.0 arrives on the main thread.
    virtual QFuture<Fetched<QUrl>> downloadContent(const QString& cloudID, const QString& contentPath,
        const std::optional<QString>& posterPath, Progress onProgress)
        = 0;
};
