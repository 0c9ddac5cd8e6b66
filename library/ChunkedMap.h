#pragma once

#include <QFuture>
#include <QList>
#include <QtConcurrent/QtConcurrentMap>

#include <type_traits>

// Maps a long list in chunks on the global thread pool, so converting tens of
// thousands of catalogue records takes a fraction of one core's time and none
// of the caller's: the caller only hands out chunk bounds. The future
// resolves to the mapped list, in input order.
template <typename In, typename F>
auto mapInChunks(const QList<In>& input, F map) -> QFuture<QList<std::invoke_result_t<F&, const In&>>>
{
    using Out = std::invoke_result_t<F&, const In&>;
    constexpr qsizetype chunkSize = 1024;
    QList<qsizetype> starts;
    for (qsizetype start = 0; start < input.size(); start += chunkSize)
        starts.append(start);
    return QtConcurrent::mapped(std::move(starts),
                                [input, map](qsizetype start) {
                                    const qsizetype end = std::min(start + chunkSize, input.size());
                                    QList<Out> out;
                                    out.reserve(end - start);
                                    for (qsizetype i = start; i < end; ++i)
                                        out.append(map(input.at(i)));
                                    return out;
                                })
        .then([](QFuture<QList<Out>> parts) {
            QList<Out> joined;
            for (const QList<Out>& part : parts.results())
                joined.append(part);
            return joined;
        });
}
