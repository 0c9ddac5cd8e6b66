#pragma once

#include "Wallpaper.h"

#include <QFuture>
#include <QList>
#include <QObject>

#include <deque>
#include <memory>

class ThumbnailSource;

// Fetches the catalogue thumbnails of lists of wallpapers ahead of the cards,
// with a fixed number of requests in flight across all lists, so that a page
// of thousands never opens thousands of connections. Lists are walked a few
// requests per turn of the event loop, so even a source answering from memory
// never holds the main thread for a whole list. Main thread.
class ThumbnailPrefetcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultMaxInFlight = 4;

    explicit ThumbnailPrefetcher(ThumbnailSource& source, int maxInFlight = defaultMaxInFlight,
                                 QObject* parent = nullptr);
    ~ThumbnailPrefetcher() override;

    // Fetches the thumbnail of every record with a cloud id and a remote
    // thumbnail, once per id. Finishes when all of them have, whatever their outcome.
    QFuture<void> prefetch(const QList<Wallpaper>& wallpapers);

    int inFlight() const { return m_inFlight; }

private:
    struct Batch;

    void pump();
    void schedulePump();
    void finished(const std::shared_ptr<Batch>& batch);

    ThumbnailSource& m_source;
    const int m_maxInFlight;
    int m_inFlight = 0;
    bool m_pumpQueued = false;
    std::deque<std::shared_ptr<Batch>> m_batches; // lists with records not yet asked for
};
