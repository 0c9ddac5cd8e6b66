#pragma once

#include "APIModels.h"
#include "Wallpaper.h"

#include <QFuture>
#include <QList>

#include <array>
#include <map>

// The curated rows of the Discover page.
enum class DiscoverRow { featured, todaysPicks, trending, newThisWeek, free };

// Turns the service's records into library records off the main thread: a
// listing as it comes, or the Discover rows joined into one list and cut
// apart again.
namespace CatalogueRecords {

// The rows in the order they are joined into one list.
inline constexpr std::array discoverRowOrder { DiscoverRow::featured, DiscoverRow::todaysPicks, DiscoverRow::trending,
    DiscoverRow::newThisWeek, DiscoverRow::free };

// Converted on every core, in input order. Both futures finish on a pool
// thread: hand them on with deliveredTo() before attaching continuations.
QFuture<QList<Wallpaper>> toWallpapers(const QList<APIWallpaper>& records);

// The Discover rows of one refresh, prepared for the library.
struct PreparedRows
{
    QList<APIWallpaper> records; // the service's rows joined in row order, for the cache file
    std::map<DiscoverRow, QList<Wallpaper>> rows;
    QList<Wallpaper> joined; // the library records of records
};

QFuture<PreparedRows> prepareRows(const DiscoverResponse& discover);

} // namespace CatalogueRecords
