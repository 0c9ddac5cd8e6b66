#include "CatalogueRecords.h"

#include "ChunkedMap.h"

#include <QtConcurrent/QtConcurrentRun>

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
    return QtConcurrent::run([discover] { return joinedRecords(discover); })
        .then([discover](const QList<APIWallpaper>& records) {
            return toWallpapers(records).then([discover, records](const QList<Wallpaper>& converted) {
                PreparedRows prepared { records, {}, converted };
                qsizetype start = 0;
                for (Row row : discoverRowOrder) {
                    const qsizetype count = recordsOf(discover, row).size();
                    prepared.rows.emplace(row, converted.mid(start, count));
                    start += count;
                }
                return prepared;
            });
        })
        .unwrap();
}
