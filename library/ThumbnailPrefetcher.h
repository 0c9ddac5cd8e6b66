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
// of thousands never opens thousands of connections. Main thread.
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
    struct Request
    {
        QString id;
        QString path;
        std::shared_ptr<Batch> batch;
    };

    void pump();
    void finished(const std::shared_ptr<Batch>& batch);

    ThumbnailSource& m_source;
    const int m_maxInFlight;
    int m_inFlight = 0;
    bool m_pumping = false;
    std::deque<Request> m_waiting;
};
