#include "CatalogueArray.h"
#include "CatalogueChecks.h"

// Any bytes as a catalogue reply of the service (the Discover rows and a page
// of wallpapers) and as the catalogue cache file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = FuzzSupport::bytes(data, size);
    CatalogueChecks::checkAgainstQt<DiscoverResponse>(body, [](const DiscoverResponse& rows) {
        return QList<QList<APIWallpaper>>{rows.featured, rows.todaysPicks, rows.trending, rows.newThisWeek,
                                          rows.free.value_or(QList<APIWallpaper>())};
    });
    CatalogueChecks::checkAgainstQt<WallpapersResponse>(body, [](const WallpapersResponse& page) {
        return QList<QList<APIWallpaper>>{page.wallpapers};
    });
    if (const auto cached = CatalogueArray::decode(body))
        CatalogueChecks::checkRoundTrip(*cached);
    return 0;
}
