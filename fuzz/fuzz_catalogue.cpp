#include "APIModels.h"
#include "APIResponse.h"
#include "FuzzSupport.h"

namespace {

// Every wallpaper decoded must encode to JSON that decodes to itself.
void checkRoundTrip(const QList<APIWallpaper>& wallpapers)
{
    for (const APIWallpaper& wallpaper : wallpapers)
        FuzzSupport::check(APIWallpaper::fromJson(wallpaper.toJson()) == wallpaper, "wallpaper round trip");
}

} // namespace

// Any bytes as a catalogue reply of the service: the Discover rows and a page of wallpapers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = FuzzSupport::bytes(data, size);
    if (const auto discover = APIResponse<DiscoverResponse>::decode(body); discover && discover.value().data) {
        const DiscoverResponse& rows = *discover.value().data;
        for (const QList<APIWallpaper>* row : { &rows.featured, &rows.todaysPicks, &rows.trending, &rows.newThisWeek })
            checkRoundTrip(*row);
        checkRoundTrip(rows.free.value_or(QList<APIWallpaper>()));
    }
    if (const auto page = APIResponse<WallpapersResponse>::decode(body); page && page.value().data)
        checkRoundTrip(page.value().data->wallpapers);
    return 0;
}
