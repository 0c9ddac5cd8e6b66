#pragma once

#include <QFuture>
#include <QList>
#include <QtConcurrent/QtConcurrentMap>

#include <memory>
#include <type_traits>

// Maps a long list in chunks on the global thread pool, so converting tens of
// thousands of catalogue records takes a fraction of one core's time and none
// of the caller's: the caller only hands out chunk bounds. Each chunk writes
// its results in place in one list made beforehand, so nothing is copied
// afterwards. The future resolves to the mapped list, in input order.
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
    // Made and detached here; the chunks then write disjoint elements through a raw pointer.
    auto output = std::make_shared<QList<Out>>(input.size());
    Out* const mapped = output->data();
    return QtConcurrent::map(*starts,
                             [input, map, mapped](qsizetype start) {
                                 const qsizetype end = std::min(start + chunkSize, input.size());
                                 for (qsizetype i = start; i < end; ++i)
                                     mapped[i] = map(input.at(i));
                             })
        .then([output, starts] { return std::move(*output); });
}
