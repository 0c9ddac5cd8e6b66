// Any bytes as the aerials manifest "entries.json", then what the aerial
// manager does to it: an asset placed with the next shot id and this system's
// category, written, read back, removed again, written and read back.
#include "AerialsManifest.h"
#include "FuzzSupport.h"
#include "PlacedAerialFiles.h"

namespace {

using FuzzSupport::check;

const QString assetID = QStringLiteral("0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F0");

// The entries of a list whose id is not the asset's, in their order.
QJsonArray withoutAsset(const QJsonArray& entries)
{
    QJsonArray kept;
    for (const QJsonValue& entry : entries) {
        if (entry.toObject().value(QStringLiteral("id")) != assetID)
            kept.append(entry);
    }
    return kept;
}

// Writes the manifest and tells that the file reads back as it was written.
void checkWrittenBack(const PlacedAerialFiles& files, const QString& path, const AerialsManifest& manifest)
{
    check(files.writeManifest(manifest), "the manifest is written");
    const AerialsManifestFile::ReadResult again = AerialsManifestFile::read(path);
    check(again.status == AerialsManifestFile::ReadResult::Status::Read, "what is written reads again");
    check(again.manifest.root() == manifest.root(), "what is written reads back the same");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const SystemWallpaper::Paths paths
        = SystemWallpaper::Paths::forHome(FuzzSupport::scratchFolder().filePath(QStringLiteral("home")));
    static const PlacedAerialFiles files(paths);
    const QByteArray input = FuzzSupport::bytes(data, size);
    FuzzSupport::writeFile(paths.manifest, input);
    const QStringList before = FuzzSupport::filesBelow(paths.base);

    std::optional<AerialsManifest> manifest = files.readManifest();
    if (!manifest) {
        // What the manager does with a manifest it cannot read: nothing at all.
        check(FuzzSupport::readFile(paths.manifest) == input, "a refused manifest stays as it was");
        check(FuzzSupport::filesBelow(paths.base) == before, "a refused manifest leaves nothing written");
        return 0;
    }
    const AerialsManifest original = *manifest;
    const QString shotID = manifest->nextShotID();
    check(shotID.startsWith(QLatin1String("LANTO_")), "a shot id of this system");
    for (const QJsonValue& entry : original.assets())
        check(entry.toObject().value(QStringLiteral("shotID")) != shotID, "the next shot id is not in use");

    manifest->appendAsset(AerialsManifest::assetEntry(assetID, shotID, QStringLiteral("Sea"),
        QStringLiteral("http://127.0.0.1:24681/videos/") + assetID + QStringLiteral(".mov"),
        QStringLiteral("http://127.0.0.1:24681/thumbnails/") + assetID + QStringLiteral(".png")));
    manifest->ensureCategory(assetID);
    check(manifest->hasAsset(assetID) && !manifest->lantoCategory().isEmpty(), "the asset and the category are in");
    const QJsonArray placed = manifest->assets();
    check(placed.size() == original.assets().size() + 1, "one asset more");
    for (qsizetype i = 0; i < original.assets().size(); ++i)
        check(placed.at(i) == original.assets().at(i), "the other assets stay as they were");
    checkWrittenBack(files, paths.manifest, *manifest);

    manifest->removeAsset(assetID);
    check(!manifest->hasAsset(assetID), "the asset is out");
    if (original.root().value(QStringLiteral("assets")).isArray())
        check(manifest->assets() == withoutAsset(original.assets()), "removal keeps the other assets in order");
    checkWrittenBack(files, paths.manifest, *manifest);
    return 0;
}
