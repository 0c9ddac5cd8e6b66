#include "AerialHTTPServer.h"
#include "AerialHarness.h"
#include "AerialsManifest.h"
#include "LoopbackAssetServer.h"
#include "StoreTestSupport.h"
#include "SystemVersion.h"
#include "UuidText.h"
#include "WallpaperStore.h"

#include <QJsonArray>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

const QString title = QStringLiteral("Sea");

// Makes every write of a regular file beyond the limit fail, even for root,
// while the object exists.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }

private:
    rlimit m_previous {};
};

ino_t inode(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QStringList assetIDs(const QJsonObject& manifest)
{
    QStringList ids;
    for (const QJsonValue& entry : manifest.value("assets").toArray())
        ids.append(entry.toObject().value("id").toString());
    return ids;
}

enum class InjectionFault { noDisplay, noVideo, manifestNotAnObject, manifestWriteFails };

} // namespace

Q_DECLARE_METATYPE(InjectionFault)

class AerialManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { SystemVersion::setCurrent(QVersionNumber(26, 0, 0)); }

    void creationMakesTheFoldersAndStartsTheServer()
    {
        AerialHarness harness;
        QCOMPARE(harness.server.starts, 1);
        for (const QString& folder : { harness.paths.videosDirectory, harness.paths.thumbnailsDirectory,
                 QFileInfo(harness.paths.manifest).absolutePath() })
            QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(AerialManager::shared(), harness.manager.get());

        // A file where a folder belongs is reported, and the other folders are still made.
        harness.manager.reset();
        QDir(harness.paths.base).removeRecursively();
        AerialHarness::write(harness.paths.base + "/aerials/videos", "file");
        harness.manager = harness.makeManager();
        QVERIFY(QFileInfo(harness.paths.thumbnailsDirectory).isDir());
        QVERIFY(harness.log.lines().filter("Lanto AerialManager: Failed to create directory").isEmpty());
        QDir(harness.paths.base).removeRecursively();
        AerialHarness::write(harness.paths.base + "/aerials", "file");
        harness.manager = harness.makeManager();
        const QStringList failures = harness.log.lines().filter("Lanto AerialManager: Failed to create directory ");
        QCOMPARE(failures.size(), 3);
        QVERIFY(failures.first().startsWith(
            "Lanto AerialManager: Failed to create directory " + harness.paths.videosDirectory + " — "));
    }

    void manifestURLsPointAtTheLoopbackServer()
    {
        AerialHarness harness;
        AerialHTTPServer::Options options;
        options.port = 0;
        options.home = harness.homePath;
        AerialHTTPServer http(options);
        LoopbackAssetServer server(http);
        AerialManager manager(AerialManager::Environment { harness.settings, harness.displays, harness.workspace,
            harness.notifications, harness.commands, server, harness.background, harness.paths });
        QVERIFY(http.port() != 0);

        const auto asset = manager.inject(title, harness.addWallpaper("ab12"), std::nullopt);

        const QString id = uuidText(*asset);
        const QJsonObject entry = harness.manifest().value("assets").toArray().first().toObject();
        QCOMPARE(entry.value("url-4K-SDR-240FPS"),
            QStringLiteral("http://127.0.0.1:%1/videos/%2.mov").arg(http.port()).arg(id));
        QCOMPARE(entry.value("previewImage"),
            QStringLiteral("http://127.0.0.1:%1/thumbnails/%2.png").arg(http.port()).arg(id));
    }

    void firstInjectionRecordsEverythingTheAgentAndTheSystemNeed()
    {
        AerialHarness harness(2);
        const QString video = harness.addWallpaper("abc123");

        const auto asset = harness.manager->inject(title, video, std::nullopt);

        QVERIFY(asset);
        const QString id = uuidText(*asset);
        QVERIFY(harness.log.contains("Lanto AerialManager: entries.json not found at " + harness.paths.manifest));
        QVERIFY(harness.log.contains("Lanto AerialManager: Injected 'Sea' as " + id));
        QCOMPARE(harness.log.lines().last(), "Lanto AerialManager: Injected 'Sea' as " + id);

        const QJsonObject manifest = harness.manifest();
        QCOMPARE(assetIDs(manifest), QStringList { id });
        const QJsonObject entry = manifest.value("assets").toArray().first().toObject();
        QCOMPARE(entry.value("shotID"), "LANTO_1");
        QCOMPARE(entry.value("url-4K-SDR-240FPS"), harness.server.videoURL(id));
        QCOMPARE(entry.value("previewImage"), harness.server.thumbnailURL(id));
        const QJsonObject category = manifest.value("categories").toArray().first().toObject();
        QCOMPARE(category.value("representativeAssetID"), id);
        QCOMPARE(manifest.value("version"), 1);

        QCOMPARE(inode(harness.paths.videoFile(id)), inode(video));
        QCOMPARE(AerialHarness::read(harness.paths.thumbnailFile(id)), "poster of abc123");

        QCOMPARE(harness.settings.string("activeAerialID"), id);
        QCOMPARE(harness.settings.string("activeDisplayUUID"), harness.mainDisplay());
        QCOMPARE(harness.settings.boolValue("lockScreenEnabled", false), true);
        QCOMPARE(harness.settings.data("cachedAssetEntry"), QJsonDocument(entry).toJson(QJsonDocument::Compact));
        QCOMPARE(harness.settings.data("cachedCategoryEntry"), QJsonDocument(category).toJson(QJsonDocument::Compact));
        QCOMPARE(harness.settings.dictionary("aerialAssetToHex"), PlistValue::Dictionary({ { id, "abc123" } }));
        QCOMPARE(harness.manager->activeAerialAssetID(), asset);
        QCOMPARE(harness.manager->activeDisplayUUID(), harness.mainDisplay());
        QCOMPARE(harness.manager->applyGeneration(), 1);

        QVERIFY(harness.manager->isAerialStamped(id, harness.mainDisplay()));
        QVERIFY(!StoreTestSupport::readWithPlistutil(harness.paths.indexPlist).isEmpty());
        QCOMPARE(harness.killed(), QStringList({ "WallpaperAgent", "WallpaperAerialsExtension" }));
    }

    void laterInjectionsKeepEarlierAssetsAndTheCategory()
    {
        AerialHarness harness;
        const auto first = harness.manager->inject(title, harness.addWallpaper("aa"), std::nullopt);
        const QString display = FakeDisplays::uuidForNumber(9);
        const auto second = harness.manager->inject("Hill", harness.addWallpaper("bb", false), display);

        QVERIFY(first && second);
        const QJsonObject manifest = harness.manifest();
        QCOMPARE(assetIDs(manifest), QStringList({ uuidText(*first), uuidText(*second) }));
        QCOMPARE(manifest.value("assets").toArray().last().toObject().value("shotID"), "LANTO_2");
        QCOMPARE(manifest.value("categories").toArray().size(), 1);
        QCOMPARE(
            manifest.value("categories").toArray().first().toObject().value("representativeAssetID"), uuidText(*first));
        QCOMPARE(harness.settings.string("activeDisplayUUID"), display);
        QCOMPARE(harness.manager->applyGeneration(), 2);
        // Without a poster there is no thumbnail, and nothing is said about it.
        QVERIFY(!QFile::exists(harness.paths.thumbnailFile(uuidText(*second))));
        QVERIFY(harness.log.lines().filter("link").isEmpty());
        QVERIFY(harness.log.lines().filter("copy").isEmpty());
    }

    void failedInjectionLeavesNothingBehind_data()
    {
        QTest::addColumn<InjectionFault>("fault");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("no display") << InjectionFault::noDisplay
                                    << QStringList { "Lanto AerialManager: No display UUID available" };
        QTest::newRow("no video") << InjectionFault::noVideo
                                  << QStringList { "Lanto AerialManager: Source video missing at %1" };
        QTest::newRow("manifest not an object")
            << InjectionFault::manifestNotAnObject
            << QStringList { "Lanto AerialManager: entries.json is not a JSON object",
                   "Lanto AerialManager: Failed to read entries.json" };
        QTest::newRow("manifest not written") << InjectionFault::manifestWriteFails
                                              << QStringList { "Lanto AerialManager: Failed to write entries.json" };
    }

    void failedInjectionLeavesNothingBehind()
    {
        QFETCH(InjectionFault, fault);
        QFETCH(QStringList, lines);
        AerialHarness harness(fault == InjectionFault::noDisplay ? 0 : 1);
        QString video = harness.addWallpaper("cc");
        const PlistValue::Dictionary earlierMap { { "EARLIER", "dd" } };
        harness.settings.set("aerialAssetToHex", earlierMap);
        if (fault == InjectionFault::noVideo) {
            video += ".gone";
            lines.first() = lines.first().arg(video);
        }
        if (fault == InjectionFault::manifestNotAnObject)
            AerialHarness::write(harness.paths.manifest, "[1]");
        const QByteArray manifestBefore = AerialHarness::read(harness.paths.manifest);

        std::optional<QUuid> asset;
        {
            std::optional<FileSizeLimit> limit;
            if (fault == InjectionFault::manifestWriteFails)
                limit.emplace(16);
            asset = harness.manager->inject(title, video, std::nullopt);
        }

        QVERIFY(!asset);
        for (const QString& line : lines)
            QVERIFY2(harness.log.contains(line), qPrintable(harness.log.lines().join('\n')));
        QCOMPARE(AerialHarness::read(harness.paths.manifest), manifestBefore);
        QVERIFY(QDir(harness.paths.videosDirectory).isEmpty());
        QVERIFY(QDir(harness.paths.thumbnailsDirectory).isEmpty());
        QCOMPARE(harness.settings.dictionary("aerialAssetToHex").value_or(earlierMap), earlierMap);
        QVERIFY(!harness.settings.string("activeAerialID"));
        QVERIFY(!QFile::exists(harness.paths.indexPlist));
        QVERIFY(harness.commands.killallCalls().isEmpty());
    }

    void removalOfTheActiveAerialClearsTheAgentState()
    {
        AerialHarness harness;
        const auto kept = harness.manager->inject("Kept", harness.addWallpaper("k1"), std::nullopt);
        const auto active = harness.manager->inject(title, harness.addWallpaper("a1"), std::nullopt);
        const QString id = uuidText(*active);
        harness.log.clear();
        harness.background.advance(3s);

        harness.manager->remove(*active);

        QCOMPARE(assetIDs(harness.manifest()), QStringList { uuidText(*kept) });
        QVERIFY(!QFile::exists(harness.paths.videoFile(id)));
        QVERIFY(!QFile::exists(harness.paths.thumbnailFile(id)));
        QVERIFY(QFile::exists(harness.paths.videoFile(uuidText(*kept))));
        QCOMPARE(
            harness.settings.dictionary("aerialAssetToHex"), PlistValue::Dictionary({ { uuidText(*kept), "k1" } }));
        for (const char* key : { "activeAerialID", "activeDisplayUUID", "cachedAssetEntry", "cachedCategoryEntry" })
            QVERIFY2(!harness.settings.value(key), key);
        QCOMPARE(harness.settings.boolValue("lockScreenEnabled", true), false);
        QVERIFY(!harness.manager->activeAerialAssetID());
        QCOMPARE(harness.manager->activeDisplayUUID(), harness.mainDisplay());
        QVERIFY(harness.log.contains("Lanto AerialManager: Unregistered lock/unlock/wake observers"));
        QVERIFY(harness.log.contains("Lanto AerialManager: Unregistered screen change observer"));
        QCOMPARE(harness.log.lines().last(), "Lanto AerialManager: Removed aerial " + id);
        QCOMPARE(harness.killed().last(), "WallpaperAgent");
    }

    void removalOfAnotherAerialLeavesTheAgentStateAlone()
    {
        AerialHarness harness;
        SystemVersion::setCurrent(QVersionNumber(15, 4));
        const auto old = harness.manager->inject("Old", harness.addWallpaper("o1"), std::nullopt);
        const auto active = harness.manager->inject(title, harness.addWallpaper("a1"), std::nullopt);
        harness.background.advance(3s);
        harness.commands = FakeSystemCommands();
        harness.log.clear();
        // Files the system may hold under other extensions go too.
        for (const QString& file : { harness.paths.videoFile(uuidText(*old), "mp4"),
                 harness.paths.thumbnailFile(uuidText(*old) + "-poster", "jpg") })
            AerialHarness::write(file, "x");

        harness.manager->remove(*old);

        QCOMPARE(assetIDs(harness.manifest()), QStringList { uuidText(*active) });
        QCOMPARE(
            QDir(harness.paths.videosDirectory).entryList(QDir::Files), QStringList { uuidText(*active) + ".mov" });
        QCOMPARE(
            QDir(harness.paths.thumbnailsDirectory).entryList(QDir::Files), QStringList { uuidText(*active) + ".png" });
        QCOMPARE(harness.settings.string("activeAerialID"), uuidText(*active));
        QVERIFY(harness.settings.data("cachedAssetEntry"));
        QVERIFY(harness.log.lines().filter("Unregistered").isEmpty());
        QCOMPARE(harness.killed(), QStringList { "WallpaperAerialsExtension" });
    }

    void removalKeepsTheFilesUntilTheManifestNoLongerListsThem()
    {
        AerialHarness harness;
        const auto asset = harness.manager->inject(title, harness.addWallpaper("a1"), std::nullopt);
        const QString id = uuidText(*asset);
        const QByteArray manifest = AerialHarness::read(harness.paths.manifest);
        harness.commands = FakeSystemCommands();
        {
            FileSizeLimit limit(16);
            harness.manager->remove(*asset);
        }
        QVERIFY(harness.log.lines().filter("Lanto AerialManager: Failed to write entries.json — ").size() == 1);
        QCOMPARE(AerialHarness::read(harness.paths.manifest), manifest);
        QVERIFY(QFile::exists(harness.paths.videoFile(id)));
        QVERIFY(harness.settings.dictionary("aerialAssetToHex")->contains(id));
        QVERIFY(harness.commands.killallCalls().isEmpty());

        AerialHarness::write(harness.paths.manifest, "{");
        harness.manager->remove(*asset);
        QVERIFY(harness.log.contains("Lanto AerialManager: Failed to read entries.json for removal"));
        QVERIFY(QFile::exists(harness.paths.videoFile(id)));
        QCOMPARE(AerialHarness::read(harness.paths.manifest), "{");
    }

    void installedMeansListedWithAVideo_data()
    {
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<bool>("downloadedVideo");
        QTest::addColumn<bool>("aerialVideo");
        QTest::addColumn<bool>("installed");
        QTest::newRow("aerial video only") << true << "" << false << true << true;
        QTest::newRow("downloaded video only") << true << "h1" << true << false << true;
        QTest::newRow("no video") << true << "h1" << false << false << false;
        QTest::newRow("not listed") << false << "h1" << true << true << false;
        QTest::newRow("hex escaping its folder") << true << "../h1" << true << false << false;
    }

    void installedMeansListedWithAVideo()
    {
        QFETCH(bool, listed);
        QFETCH(QString, hex);
        QFETCH(bool, downloadedVideo);
        QFETCH(bool, aerialVideo);
        QFETCH(bool, installed);
        AerialHarness harness;
        const QUuid asset = QUuid::createUuid();
        const QString id = uuidText(asset);
        AerialsManifest manifest;
        if (listed)
            manifest.appendAsset(AerialsManifest::assetEntry(id, "LANTO_1", title, "v", "t"));
        QString error;
        QVERIFY(AerialsManifestFile::write(harness.paths.manifest, manifest, &error));
        if (!hex.isEmpty())
            harness.settings.set("aerialAssetToHex", PlistValue::Dictionary({ { id, hex } }));
        if (downloadedVideo)
            AerialHarness::write(QDir(LantoSettings::downloadsDirectory()).filePath(hex + "/content.mov"), "v");
        if (aerialVideo)
            AerialHarness::write(harness.paths.videoFile(id), "v");

        QCOMPARE(harness.manager->isAssetInstalled(asset), installed);
    }

    void resumptionStampsAndRestartsWithoutChecking()
    {
        AerialHarness harness;
        SystemVersion::setCurrent(QVersionNumber(15));
        const auto asset = harness.manager->inject(title, harness.addWallpaper("a1"), std::nullopt);
        harness.background.advance(3s);
        const QString recorded = FakeDisplays::uuidForNumber(7);
        harness.settings.set("activeDisplayUUID", recorded);
        harness.manager = harness.makeManager();
        harness.commands = FakeSystemCommands();
        harness.log.clear();

        harness.manager->resumeAtLaunch(*asset);

        const QString id = uuidText(*asset);
        QVERIFY(harness.manager->isAerialStamped(id, harness.mainDisplay()));
        QCOMPARE(harness.killed(), QStringList({ "WallpaperAgent", "WallpaperAerialsExtension" }));
        QCOMPARE(harness.log.lines(),
            QStringList({
                "Lanto AerialManager: Updated Index.plist — aerial " + id + " on main " + harness.mainDisplay()
                    + ", blackout on others",
                "Lanto AerialManager: SIGKILL'd WallpaperAgent",
                "Lanto AerialManager: SIGKILL'd WallpaperAerialsExtension",
                "Lanto AerialManager: Launch — forced stamp + WA restart on main " + harness.mainDisplay(),
                "Lanto AerialManager: Registered lock/unlock/wake observers",
                "Lanto AerialManager: Registered screen change observer",
                "Lanto AerialManager: Resumed tracking for aerial " + id + " on display " + recorded,
            }));
        QCOMPARE(harness.manager->activeAerialAssetID(), asset);
        QCOMPARE(harness.manager->applyGeneration(), 0);
        QCOMPARE(harness.background.pendingCount(), 0);

        const QUuid unknown = QUuid::createUuid();
        harness.log.clear();
        harness.manager->resumeAtLaunch(unknown);
        QCOMPARE(harness.log.lines().last(),
            "Lanto AerialManager: Cannot resume — aerial " + uuidText(unknown) + " not in manifest");
    }

    void storeStampPutsBlackoutOnEveryOtherDisplay()
    {
        AerialHarness harness(3);
        const QUuid asset = QUuid::createUuid();
        const QString id = uuidText(asset);

        harness.manager->writeIndexPlist(asset, harness.mainDisplay());

        QVERIFY(harness.log.contains("Lanto AerialManager: Index.plist missing or corrupt — creating fresh"));
        const auto root = PropertyList::readFile(harness.paths.indexPlist)->toDictionary().value();
        QCOMPARE(root.keys(), QStringList({ "AllSpacesAndDisplays", "Displays", "SystemDefault" }));
        const QStringList others { FakeDisplays::uuidForNumber(2), FakeDisplays::uuidForNumber(3) };
        QVERIFY(storeHasAerial(root, id, harness.mainDisplay(), others));
        const auto blackout = StoreTestSupport::configuration(
            StoreTestSupport::dictionaryAt(root, { "Displays", others.last(), "Idle" }));
        QCOMPARE(StoreTestSupport::valueAt(blackout, { "imageFile", "relative" }),
            PlistValue(imageFileReference(DesktopWindowController::blackoutImageURL().toLocalFile())));
        QVERIFY(QFile::exists(DesktopWindowController::blackoutImageURL().toLocalFile()));
        QVERIFY(harness.manager->isAerialStamped(id, harness.mainDisplay()));
        QVERIFY(!StoreTestSupport::readWithPlistutil(harness.paths.indexPlist).isEmpty());
    }

    void storeThatCannotBeReadIsLeftAsItIs()
    {
        AerialHarness harness;
        AerialHarness::write(harness.paths.indexPlist, "bplist00 damaged");

        harness.manager->writeIndexPlist(QUuid::createUuid(), harness.mainDisplay());

        QCOMPARE(AerialHarness::read(harness.paths.indexPlist), "bplist00 damaged");
        QCOMPARE(harness.log.lines().filter("Index.plist").size(), 1);
        QVERIFY(harness.log.contains("Lanto AerialManager: Index.plist unreadable — left as it is"));
    }
};

QTEST_GUILESS_MAIN(AerialManagerTest)
#include "tst_aerialmanager.moc"
