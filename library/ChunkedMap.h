#pragma once

#include <QFuture>
#include <QList>
#include <QPromise>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <memory>
#include <type_traits>
#include <vector>

// Maps a long list in chunks on the global thread pool, so converting tens of
// thousands of catalogue records takes a fraction of one core's time and none
// of the caller's: the caller only queues the chunks. Each chunk builds its
// own list, and the chunk that finishes last joins them and hands the mapped
// list, in input order, to done, on its pool thread. So no element is made,
// moved or freed on the calling thread, and no continuation is attached to a
// future that another thread may be finishing.
template <typename In, typename F, typename Done>
void mapInChunks(const QList<In>& input, F map, Done done)
{
    using Out = std::invoke_result_t<F&, const In&>;
    constexpr qsizetype chunkSize = 1024;
    struct Run
    {
        Run(const QList<In>& in, F&& f, Done&& d, qsizetype chunks)
            : input(in), map(std::move(f)), done(std::move(d)), parts(size_t(chunks)), unfinished(chunks)
        {
        }
        QList<In> input;
        F map;
        Done done;
        std::vector<QList<Out>> parts;
        std::atomic<qsizetype> unfinished;
    };
    const qsizetype chunks = (input.size() + chunkSize - 1) / chunkSize;
    if (chunks == 0) {
        done(QList<Out>());
        return;
    }
    auto run = std::make_shared<Run>(input, std::move(map), std::move(done), chunks);
    for (qsizetype chunk = 0; chunk < chunks; ++chunk) {
        QThreadPool::globalInstance()->start([run, chunk] {
            const qsizetype start = chunk * chunkSize;
            const qsizetype end = std::min(start + chunkSize, run->input.size());
            QList<Out>& mapped = run->parts[size_t(chunk)];
            mapped.reserve(end - start);
            for (qsizetype i = start; i < end; ++i)
                mapped.append(run->map(run->input.at(i)));
            if (run->unfinished.fetch_sub(1, std::memory_order_acq_rel) != 1)
                return;
            QList<Out> joined;
            joined.reserve(run->input.size());
            for (QList<Out>& part : run->parts)
                joined.append(std::move(part));
            run->parts.clear();
            run->done(std::move(joined));
        });
    }
}

// The same, as a future that finishes on a pool thread: hand it on with
// deliveredTo() before attaching continuations.
template <typename In, typename F>
auto mapInChunks(const QList<In>& input, F map) -> QFuture<QList<std::invoke_result_t<F&, const In&>>>
{
    using Out = std::invoke_result_t<F&, const In&>;
    auto promise = std::make_shared<QPromise<QList<Out>>>();
    QFuture<QList<Out>> future = promise->future();
    promise->start();
    mapInChunks(input, std::move(map), [promise](QList<Out> mapped) {
        promise->addResult(std::move(mapped));
        promise->finish();
    });
    return future;
}
