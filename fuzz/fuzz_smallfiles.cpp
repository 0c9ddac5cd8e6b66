// The small files both programs read, one per input, picked by the first
// byte (modulo five); the rest of the input is the file:
//   0  the "injectedWallpapers" mapping
//   1  Settings.plist as the loopback server reads "aerialAssetToHex" from it
//   2  Settings.plist as the agent reads the aerial it keeps
//   3  the desktop pictures file
//   4  a wallpaper's "metadata.json"
// Each is written back where the program has a writer, and must read back the same.
#include "AerialAssetFiles.h"
#include "AgentAerialState.h"
#include "DesktopPicture.h"
#include "FuzzSupport.h"
#include "InjectedWallpaperMapping.h"
#include "LocalWallpaperMeta.h"
#include "PropertyList.h"
#include "SettingsKeys.h"
#include "UserHome.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace {

using FuzzSupport::check;

QString scratch(const QString& name) { return FuzzSupport::scratchFolder().filePath(name); }

void injectedMapping(const QByteArray& json)
{
    const InjectedWallpaperMapping mapping = InjectedWallpaperMapping::decode(json);
    check(InjectedWallpaperMapping::decode(mapping.encode()).entries == mapping.entries, "mapping round trip");
    const QMap<QUuid, QUuid> uuids = mapping.uuidMap();
    check(InjectedWallpaperMapping::fromUuidMap(uuids).uuidMap() == uuids, "UUID mapping round trip");
}

// A home whose downloads hold one wallpaper, with look-alike files where a
// folder name that escaped the downloads would lead.
struct AssetHome
{
    AssetHome() : files(scratch(QStringLiteral("assethome")))
    {
        const QString downloads = files.lantoDownloads();
        for (const QString& path : { downloads + QStringLiteral("/cafe01/content.mov"),
                 downloads + QStringLiteral("/cafe01/Poster.png"), files.legacyAerialBase() + QStringLiteral("/videos/L1.mov") }) {
            FuzzSupport::writeFile(path, "served");
            served.append(QFileInfo(path).canonicalFilePath());
        }
        for (const QString& folder : { downloads + QStringLiteral("/.."), downloads + QStringLiteral("/../../.."),
                 downloads, files.legacyAerialBase() + QStringLiteral("/videos/..") }) {
            FuzzSupport::writeFile(folder + QStringLiteral("/content.mov"), "not served");
            FuzzSupport::writeFile(folder + QStringLiteral("/Poster.png"), "not served");
        }
    }

    AerialAssetFiles files;
    QStringList served;
};

void assetMap(const QByteArray& settings)
{
    static AssetHome home;
    FuzzSupport::writeFile(home.files.settingsPlistPath(), settings);
    // A new reader: the one before may hold the map of an earlier input stamped alike.
    const AerialAssetFiles files(scratch(QStringLiteral("assethome")));
    const QMap<QString, QString> map = files.readAssetToHexMap();
    int looked = 0;
    for (auto it = map.cbegin(); it != map.cend() && looked < 16; ++it, ++looked) {
        for (const QString& path : { QStringLiteral("videos/") + it.key() + QStringLiteral(".mov"),
                 QStringLiteral("thumbnails/") + it.key() + QStringLiteral(".png") }) {
            if (const std::optional<AerialAssetFiles::OpenFile> found = files.openFile(path))
                check(home.served.contains(QFileInfo(found->path).canonicalFilePath()), "only the served files are found");
        }
    }
}

// The keys the agent reads, as the application writes them.
QByteArray settingsOf(const AgentAerialState& state)
{
    PlistValue::Dictionary settings { { SettingsKey::lockScreenEnabled, true },
        { SettingsKey::activeAerialID, state.aerialID.value_or(QString()) },
        { SettingsKey::activeDisplayUUID, state.displayUUID.value_or(QString()) } };
    if (state.cachedAssetEntry)
        settings.insert(SettingsKey::cachedAssetEntry, QJsonDocument(*state.cachedAssetEntry).toJson());
    if (state.cachedCategoryEntry)
        settings.insert(SettingsKey::cachedCategoryEntry, QJsonDocument(*state.cachedCategoryEntry).toJson());
    return PropertyList::serialize(settings, PropertyList::Format::Xml);
}

bool operator==(const AgentAerialState& a, const AgentAerialState& b)
{
    return a.aerialID == b.aerialID && a.displayUUID == b.displayUUID && a.cachedAssetEntry == b.cachedAssetEntry
        && a.cachedCategoryEntry == b.cachedCategoryEntry;
}

void agentState(const QByteArray& settings)
{
    const QString path = scratch(QStringLiteral("agent/Settings.plist"));
    FuzzSupport::writeFile(path, settings);
    AgentAerialState state;
    state.load(path);
    AgentAerialState again = state;
    again.load(path);
    check(again == state, "the same file loads the same state");
    if (!state.isSet())
        return;
    const QByteArray written = settingsOf(state);
    if (written.isEmpty())
        return;
    FuzzSupport::writeFile(path, written);
    AgentAerialState fresh;
    fresh.load(path);
    check(fresh == state, "the state as written reads back the same");
}

// The desktop pictures file: a change to one display keeps the others', and
// a picture set reads back as set, whatever its file is called (the input's last bytes).
void desktopPictures(const QByteArray& json)
{
    static const bool homeSet = [] {
        UserHome::setPathForProcess(scratch(QStringLiteral("picturehome")));
        return true;
    }();
    Q_UNUSED(homeSet);
    FuzzSupport::writeFile(FileDesktopPicture::filePath(), json);
    FileDesktopPicture pictures;
    auto display = [](const char* uuid) {
        ConnectedDisplay display;
        display.uuid = QString::fromLatin1(uuid);
        return display;
    };
    const ConnectedDisplay kept = display("37D8832A-2D66-02CA-B9F7-8F30A301B230");
    const ConnectedDisplay cleared = display("5C2F1B0E-9D8A-4B7C-A6E5-D4C3B2A1F0E9");
    const ConnectedDisplay changed = display("0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9");
    const std::optional<QUrl> keptURL = pictures.desktopImageUrl(kept);
    const DesktopPictureOptions keptOptions = pictures.desktopImageOptions(kept);

    check(pictures.setDesktopImageUrl(QUrl::fromLocalFile(QString()), cleared, {}), "a picture is cleared");
    check(!pictures.desktopImageUrl(cleared), "a cleared picture is gone");
    check(pictures.desktopImageUrl(kept) == keptURL && pictures.desktopImageOptions(kept) == keptOptions,
        "clearing one display keeps the others");

    QString name = QString::fromUtf8(json.right(24)).replace(QLatin1Char('/'), QLatin1Char('_')).remove(QChar(0));
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("x");
    const QString picture = scratch(QStringLiteral("pictures/")) + name;
    FuzzSupport::writeFile(picture, "png");
    const DesktopPictureOptions options { int(json.size() % 7), json.size() % 2 == 0 };
    check(pictures.setDesktopImageUrl(QUrl::fromLocalFile(picture), changed, options), "a picture is set");
    const std::optional<QUrl> url = pictures.desktopImageUrl(changed);
    check(url && url->toLocalFile() == picture, "a picture reads back as set");
    check(pictures.desktopImageOptions(changed) == options, "its options read back as set");
    check(pictures.desktopImageUrl(kept) == keptURL, "setting one display keeps the others");
    QFile::remove(picture);
}

void wallpaperMeta(const QByteArray& json)
{
    const std::optional<LocalWallpaperMeta> meta = LocalWallpaperMeta::fromJson(json);
    if (!meta)
        return;
    const QByteArray written = meta->toJson();
    check(LocalWallpaperMeta::fromJson(written) == meta, "metadata round trip");
    check(LocalWallpaperMeta::fromJson(written)->toJson() == written, "metadata written alike");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray file = FuzzSupport::bytes(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0:
        injectedMapping(file);
        break;
    case 1:
        assetMap(file);
        break;
    case 2:
        agentState(file);
        break;
    case 3:
        desktopPictures(file);
        break;
    case 4:
        wallpaperMeta(file);
        break;
    }
    return 0;
}
