// Any bytes as the system's wallpaper store "Store/Index.plist": whether it
// holds an aerial, then an aerial and an image stamped into it as the aerial
// manager and the desktop controller do, which must then be found, and the
// store written and read back.
#include "FuzzSupport.h"
#include "WallpaperStore.h"

namespace {

using FuzzSupport::check;

// The asset and displays of the seeds, so that inputs can name them.
const QString assetID = QStringLiteral("7A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D");
const QString mainDisplay = QStringLiteral("37D8832A-2D66-02CA-B9F7-8F30A301B230");
const QString otherDisplay = QStringLiteral("5C2F1B0E-9D8A-4B7C-A6E5-D4C3B2A1F0E9");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = FuzzSupport::scratchFolder().filePath(QStringLiteral("Store/Index.plist"));
    const QByteArray input = FuzzSupport::bytes(data, size);
    FuzzSupport::writeFile(path, input);

    using Status = WallpaperStoreFile::ReadResult::Status;
    WallpaperStoreFile::ReadResult store = WallpaperStoreFile::read(path);
    check(store.status != Status::Missing, "a file is there");
    const bool hadAerial = indexPlistHasAerial(path, assetID, mainDisplay, { otherDisplay });
    check(FuzzSupport::readFile(path) == input, "reading never writes");
    if (store.status == Status::Unreadable) {
        check(!hadAerial, "an unreadable store holds no aerial");
        return 0;
    }
    check(hadAerial == storeHasAerial(store.root, assetID, mainDisplay, { otherDisplay }), "the file as its root");

    PlistValue::Dictionary& root = store.root;
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(1765000000123, Qt::UTC);
    stampAerial(root, assetID, mainDisplay, now);
    check(storeHasAerial(root, assetID, mainDisplay, {}), "a stamped aerial is found");
    check(!storeHasAerial(root, assetID + QLatin1Char('0'), mainDisplay, {}), "only the stamped aerial is found");
    stampImage(root, otherDisplay, QUrl::fromLocalFile(QStringLiteral("/home/u/Poster.png")), now);
    check(storeHasAerial(root, assetID, mainDisplay, { otherDisplay }), "the aerial beside an image is found");

    QString error;
    check(WallpaperStoreFile::write(path, root, &error), "the stamped store is written");
    const WallpaperStoreFile::ReadResult again = WallpaperStoreFile::read(path);
    check(again.status == Status::Read && again.root == root, "what is written reads back the same");
    return 0;
}
