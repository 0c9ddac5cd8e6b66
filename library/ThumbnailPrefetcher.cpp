#include "ThumbnailPrefetcher.h"

#include "PoolRelease.h"
#include "ThumbnailSource.h"

#include <QPromise>
#include <QSet>

namespace {

// Requests started in one turn of the event loop at most.
constexpr int startsPerTurn = 32;

bool hasRemoteThumbnail(const Wallpaper& wallpaper)
{
    return wallpaper.cloudID() && wallpaper.remoteThumbnailURL();
}

} // namespace

// One list: walked from the front; done once walked and nothing is in flight.
struct ThumbnailPrefetcher::Batch
{
    QPromise<void> done;
    QList<Wallpaper> wallpapers;
    qsizetype next = 0;
    QSet<QString> asked; // ids, so a repeated record is fetched once
    int inFlight = 0;
    bool finished = false;

    // The next record to fetch, or nothing when the list is walked.
    const Wallpaper* take()
    {
        while (next < wallpapers.size()) {
            const Wallpaper& wallpaper = wallpapers.at(next++);
            if (hasRemoteThumbnail(wallpaper) && !asked.contains(*wallpaper.cloudID())) {
                asked.insert(*wallpaper.cloudID());
                return &wallpaper;
            }
        }
        return nullptr;
    }
    ~Batch()
    {
        releaseOnPool(std::move(asked));
        releaseOnPool(std::move(wallpapers));
    }
    bool walked() const { return next >= wallpapers.size(); }
    // Once: finishing a promise again would run its continuations again.
    void finishIfDone()
    {
        if (finished || !walked() || inFlight > 0)
            return;
        finished = true;
        done.finish();
    }
};

ThumbnailPrefetcher::ThumbnailPrefetcher(ThumbnailSource& source, int maxInFlight, QObject* parent)
    : QObject(parent), m_source(source), m_maxInFlight(std::max(1, maxInFlight))
{
}

// Lists not finished are cancelled with their promises.
ThumbnailPrefetcher::~ThumbnailPrefetcher() = default;

QFuture<void> ThumbnailPrefetcher::prefetch(const QList<Wallpaper>& wallpapers)
{
    auto batch = std::make_shared<Batch>();
    batch->done.start();
    batch->wallpapers = wallpapers;
    QFuture<void> future = batch->done.future();
    m_batches.push_back(std::move(batch));
    pump();
    return future;
}

void ThumbnailPrefetcher::pump()
{
    int started = 0;
    while (!m_batches.empty() && m_inFlight < m_maxInFlight && started < startsPerTurn) {
        const std::shared_ptr<Batch> batch = m_batches.front();
        const Wallpaper* wallpaper = batch->take();
        if (!wallpaper) {
            m_batches.pop_front();
            batch->finishIfDone();
            continue;
        }
        ++started;
        ++m_inFlight;
        ++batch->inFlight;
        // A fetch that is cancelled counts as finished, or its list would never end.
        m_source.fetchThumbnail(*wallpaper->cloudID(), *wallpaper->remoteThumbnailURL())
            .then(this, [this, batch](const std::optional<QUrl>&) { finished(batch); })
            .onCanceled(this, [this, batch] { finished(batch); });
    }
    if (!m_batches.empty() && m_inFlight < m_maxInFlight)
        schedulePump();
}

void ThumbnailPrefetcher::schedulePump()
{
    if (m_pumpQueued)
        return;
    m_pumpQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pumpQueued = false;
            pump();
        },
        Qt::QueuedConnection);
}

void ThumbnailPrefetcher::finished(const std::shared_ptr<Batch>& batch)
{
    --m_inFlight;
    --batch->inFlight;
    batch->finishIfDone();
    // The next requests start on a later turn, and the stack stays flat.
    schedulePump();
}
