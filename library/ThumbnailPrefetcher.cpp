#include "ThumbnailPrefetcher.h"

#include "ThumbnailSource.h"

#include <QPromise>
#include <QSet>

struct ThumbnailPrefetcher::Batch
{
    QPromise<void> done;
    qsizetype remaining = 0;
};

ThumbnailPrefetcher::ThumbnailPrefetcher(ThumbnailSource& source, int maxInFlight, QObject* parent)
    : QObject(parent), m_source(source), m_maxInFlight(std::max(1, maxInFlight))
{
}

// Batches still waiting are cancelled with their promises.
ThumbnailPrefetcher::~ThumbnailPrefetcher() = default;

QFuture<void> ThumbnailPrefetcher::prefetch(const QList<Wallpaper>& wallpapers)
{
    auto batch = std::make_shared<Batch>();
    batch->done.start();
    QFuture<void> future = batch->done.future();
    QSet<QString> seen;
    for (const Wallpaper& wallpaper : wallpapers) {
        if (!wallpaper.cloudID || !wallpaper.remoteThumbnailURL || seen.contains(*wallpaper.cloudID))
            continue;
        seen.insert(*wallpaper.cloudID);
        m_waiting.push_back({*wallpaper.cloudID, *wallpaper.remoteThumbnailURL, batch});
    }
    batch->remaining = seen.size();
    if (batch->remaining == 0)
        batch->done.finish();
    pump();
    return future;
}

void ThumbnailPrefetcher::pump()
{
    // A source that answers at once finishes fetches inside this loop: the
    // outer call goes on, so the stack stays flat however long the list.
    if (m_pumping)
        return;
    m_pumping = true;
    while (m_inFlight < m_maxInFlight && !m_waiting.empty()) {
        Request request = std::move(m_waiting.front());
        m_waiting.pop_front();
        ++m_inFlight;
        auto batch = request.batch;
        // A fetch that is cancelled counts as finished, or its batch would never end.
        m_source.fetchThumbnail(request.id, request.path)
            .then(this, [this, batch](const std::optional<QUrl>&) { finished(batch); })
            .onCanceled(this, [this, batch] { finished(batch); });
    }
    m_pumping = false;
}

void ThumbnailPrefetcher::finished(const std::shared_ptr<Batch>& batch)
{
    --m_inFlight;
    if (--batch->remaining == 0)
        batch->done.finish();
    pump();
}
