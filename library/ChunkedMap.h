#pragma once

#include <QFuture>
#include <QList>
#include <QtConcurrent/QtConcurrentMap>

#include <memory>
#include <type_traits>
#include <vector>

// Maps a long list in chunks on the global thread pool, so converting tens of
// thousands of catalogue records takes a fraction of one core's time and none
// of the caller's: the caller only hands out chunk bounds. Each chunk builds
// its own list, and the lists are joined on the pool, so no element is made,
// moved or freed on the calling thread. The future resolves to the mapped
// list, in input order.
template <typename In, typename F>
auto mapInChunks(const QList<In>& input, F map) -> QFuture<QList<std::invoke_result_t<F&, const In&>>>
{
    using Out = std::invoke_result_t<F&, const In&>;
    constexpr qsizetype chunkSize = 1024;
    // The chunk bounds outlive the call: QtConcurrent::map walks the sequence it
    // is given in place, so a temporary would leave it reading freed memory.
    auto starts = std::make_shared<QList<qsizetype>>();
    for (qsizetype start = 0; start < input.size(); start += chunkSize)
        starts->append(start);
    // One empty list per chunk (cheap to make); each chunk fills only its own.
    auto parts = std::make_shared<std::vector<QList<Out>>>(size_t(starts->size()));
    QList<Out>* const part = parts->data();
    return QtConcurrent::map(*starts,
                             [input, map, part](qsizetype start) {
                                 const qsizetype end = std::min(start + chunkSize, input.size());
                                 QList<Out>& mapped = part[start / chunkSize];
                                 mapped.reserve(end - start);
                                 for (qsizetype i = start; i < end; ++i)
                                     mapped.append(map(input.at(i)));
                             })
        .then([parts, starts, size = input.size()] {
            QList<Out> joined;
            joined.reserve(size);
            for (QList<Out>& mapped : *parts)
                joined.append(std::move(mapped));
            parts->clear();
            return joined;
        });
}
