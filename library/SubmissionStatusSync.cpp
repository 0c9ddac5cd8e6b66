#include "SubmissionStatusSync.h"

#include "CatalogueSource.h"
#include "LantoAPIClient.h"
#include "Log.h"
#include "WallpaperManager.h"

#include <QPromise>

#include <algorithm>
#include <memory>

using namespace Qt::Literals::StringLiterals;

SubmissionStatusSync::SubmissionStatusSync(
    WallpaperManager& library, LantoAPIClient& client, SignedIn signedIn, QObject* parent)
    : QObject(parent), m_library(library), m_client(client), m_signedIn(std::move(signedIn))
{
}

QFuture<void> SubmissionStatusSync::syncSubmissionStatuses()
{
    if (!m_signedIn())
        return QtFuture::makeReadyFuture();
    auto done = std::make_shared<QPromise<void>>();
    done->start();
    whenFetched(m_client.fetchMyWallpapers(), this, [this, done](const Result<MyWallpapersResponse>& mine) {
        if (!mine) {
            Log::write(u"Lanto: Failed to sync submission statuses — "_s + mine.error().description());
            return done->finish();
        }
        if (!apply(mine.value().wallpapers))
            return done->finish();
        m_library.refreshCatalogue().then(this, [done] { done->finish(); });
    });
    return done->future();
}

bool SubmissionStatusSync::apply(const QList<APIWallpaper>& submissions)
{
    bool approved = false;
    // A copy: renaming changes the library's list as it is walked.
    const QList<Wallpaper> library = m_library.allWallpaperList().items();
    for (const Wallpaper& local : library) {
        if (!local.submissionStatus() || !m_library.hasLocalMetadata(local))
            continue;
        const QString& current = *local.submissionStatus();
        const auto match = std::find_if(submissions.cbegin(), submissions.cend(), [&](const APIWallpaper& record) {
            return local.serverWallpaperId() ? record.id == *local.serverWallpaperId() : record.title == local.title();
        });
        if (match == submissions.cend()) {
            if (current == u"pending"_s)
                m_library.setSubmissionStatus(local.hexID(), u"rejected"_s);
            continue;
        }
        if (match->title != local.title())
            m_library.renameWallpaper(local.id, match->title);
        if (match->status && *match->status != current) {
            m_library.setSubmissionStatus(local.hexID(), *match->status);
            approved = approved || *match->status == u"approved"_s;
        }
    }
    return approved;
}
