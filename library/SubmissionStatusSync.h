#pragma once

#include "APIWallpaper.h"

#include <QFuture>
#include <QList>
#include <QObject>

#include <functional>

class LantoAPIClient;
class WallpaperManager;

// Carries the review state of the user's submissions, and a title the
// service changed, from the service into the library. A submission still
// pending that the service no longer lists was turned down. Keeps no state
// between calls. Main thread.
class SubmissionStatusSync : public QObject
{
    Q_OBJECT

public:
    using SignedIn = std::function<bool()>;

    SubmissionStatusSync(WallpaperManager& library, LantoAPIClient& client, SignedIn signedIn,
                         QObject* parent = nullptr);

    // Finishes once the statuses are recorded and, when a submission became
    // approved, the catalogue is refreshed (once, however many were approved).
    // Signed out it sends nothing; a failed request is logged and changes nothing.
    QFuture<void> syncSubmissionStatuses();

private:
    // True when a submission became approved.
    bool apply(const QList<APIWallpaper>& submissions);

    WallpaperManager& m_library;
    LantoAPIClient& m_client;
    SignedIn m_signedIn;
};
