#include "ScreenModel.h"
#include "SettingsFixture.h"
#include "SettingsKeys.h"

#include <cmath>

namespace {

// Records equal field by field, a position of NaN equal to itself.
bool sameModels(const ScreenModelMap& a, const ScreenModelMap& b)
{
    if (a.keys() != b.keys())
        return false;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        ScreenModel mine = *it;
        ScreenModel other = *b.constFind(it.key());
        if (std::isnan(mine.playbackPosition) && std::isnan(other.playbackPosition))
            mine.playbackPosition = other.playbackPosition = 0;
        if (!(mine == other))
            return false;
    }
    return true;
}

} // namespace

// Any bytes as the "screenModels" archive of the settings; the records read
// must survive being saved and loaded again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace FuzzSupport;
    static SettingsFixture fixture;
    LantoSettings& settings = fixture.settings;
    static const bool quiet = (Log::setSink([](const QString&) {}), true);
    Q_UNUSED(quiet);

    settings.set(SettingsKey::screenModels, bytes(data, size));
    const ScreenModelMap models = ScreenModel::loadAll(settings);
    if (models.isEmpty())
        return 0;
    ScreenModel::saveAll(models, settings);
    check(sameModels(ScreenModel::loadAll(settings), models), "screen models round trip");
    return 0;
}
