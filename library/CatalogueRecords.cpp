#include "CatalogueRecords.h"

#include "ChunkedMap.h"

#include <QPromise>
#include <QThreadPool>

#include <memory>

namespace {

using Row = DiscoverRow;

const QList<APIWallpaper>& recordsOf(const DiscoverResponse& rows, Row row)
{
    static const QList<APIWallpaper> none;
    switch (row) {
    case Row::featured:
        return rows.featured;
    case Row::todaysPicks:
        return rows.todaysPicks;
    case Row::trending:
        return rows.trending;
    case Row::newThisWeek:
        return rows.newThisWeek;
    case Row::free:
        return rows.free ? *rows.free : none;
    }
    return none;
}

QList<APIWallpaper> joinedRecords(const DiscoverResponse& rows)
{
    QList<APIWallpaper> joined;
    for (Row row : CatalogueRecords::discoverRowOrder)
        joined.append(recordsOf(rows, row));
    return joined;
}

} // namespace

QFuture<QList<Wallpaper>> CatalogueRecords::toWallpapers(const QList<APIWallpaper>& records)
{
    return mapInChunks(records, &Wallpaper::fromAPIWallpaper);
}

QFuture<CatalogueRecords::PreparedRows> CatalogueRecords::prepareRows(const DiscoverResponse& discover)
{
    // One promise for the whole pipeline, filled by its last step: nothing
    // waits on or attaches to a future that a pool thread is finishing.
    auto promise = std::make_shared<QPromise<PreparedRows>>();
    QFuture<PreparedRows> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([discover, promise] {
        const QList<APIWallpaper> records = joinedRecords(discover);
        mapInChunks(records, &Wallpaper::fromAPIWallpaper,
                    [discover, records, promise](QList<Wallpaper> converted) {
                        PreparedRows prepared { records, {}, {} };
                        qsizetype start = 0;
                        for (Row row : discoverRowOrder) {
                            const qsizetype count = recordsOf(discover, row).size();
                            prepared.rows.emplace(row, converted.mid(start, count));
                            start += count;
                        }
                        prepared.joined = std::move(converted);
                        promise->addResult(std::move(prepared));
                        promise->finish();
                    });
    });
    return future;
}
