#include "AerialHarness.h"
#include "HexID.h"
#include "InjectedWallpaperMapping.h"
#include "LockScreenManager.h"
#include "UuidText.h"

#include <QJsonArray>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace std::chrono_literals;

namespace {

Wallpaper videoWallpaper(const QString& hex, const QString& title)
{
    Wallpaper wallpaper;
    wallpaper.edit().hexID = hex;
    wallpaper.id = uuidFromHexID(hex);
    wallpaper.edit().title = title;
    wallpaper.edit().wallpaperType = WallpaperType::video;
    return wallpaper;
}

// The lock-screen manager over a harness's aerial manager, with wallpapers A and B downloaded.
struct LockScreenHarness
{
    LockScreenHarness()
    {
        aerials.addWallpaper(a.hexID());
        aerials.addWallpaper(b.hexID());
    }

    QMap<QUuid, QUuid> record() const
    {
        return InjectedWallpaperMapping::decode(aerials.settings.data("injectedWallpapers").value_or(QByteArray()))
            .uuidMap();
    }

    QStringList manifestIDs() const
    {
        QStringList ids;
        for (const QJsonValue& entry : aerials.manifest().value("assets").toArray())
            ids.append(entry.toObject().value("id").toString());
        return ids;
    }

    void place(const Wallpaper& wallpaper) { manager->inject(wallpaper, std::nullopt).waitForFinished(); }

    QStringList lockScreenLines() const { return aerials.log.lines().filter(QRegularExpression("^Lanto: ")); }

    AerialHarness aerials;
    Wallpaper a = videoWallpaper("aaaa0000aaaa0000aaaa0000", "Sea");
    Wallpaper b = videoWallpaper("bbbb0000bbbb0000bbbb0000", "Hill");
    std::unique_ptr<LockScreenManager> manager
        = std::make_unique<LockScreenManager>(*aerials.manager, aerials.settings, aerials.background);
};

} // namespace

class LockScreenManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void recordDecodingKeepsOnlyUuidPairs_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("count");
        const QString wallpaper = uuidText(QUuid::createUuid());
        const QString asset = uuidText(QUuid::createUuid());
        QTest::newRow("one pair") << QStringLiteral("{\"entries\":{\"%1\":\"%2\"}}").arg(wallpaper, asset).toUtf8()
                                  << 1;
        QTest::newRow("value not a uuid")
            << QStringLiteral("{\"entries\":{\"%1\":\"%2\",\"%2\":\"x\"}}").arg(wallpaper, asset).toUtf8() << 1;
        QTest::newRow("value not text")
            << QStringLiteral("{\"entries\":{\"%1\":\"%2\",\"%2\":5}}").arg(wallpaper, asset).toUtf8() << 0;
        QTest::newRow("no entries") << QByteArray("{\"other\":{}}") << 0;
        QTest::newRow("not json") << QByteArray("entries") << 0;
    }

    void recordDecodingKeepsOnlyUuidPairs()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, count);
        const auto map = InjectedWallpaperMapping::decode(json).uuidMap();
        QCOMPARE(map.size(), count);
        QCOMPARE(InjectedWallpaperMapping::decode(InjectedWallpaperMapping::fromUuidMap(map).encode()).uuidMap(), map);
    }

    void placingOnAnEmptyRecordTurnsTheLockScreenOn()
    {
        LockScreenHarness harness;
        harness.place(harness.a);

        const auto record = harness.record();
        QCOMPARE(record.keys(), QList<QUuid> { harness.a.id });
        QCOMPARE(harness.manifestIDs(), QStringList { uuidText(record.first()) });
        QCOMPARE(harness.aerials.settings.boolValue("lockScreenEnabled", false), true);
        QCOMPARE(harness.lockScreenLines(),
            QStringList({ "Lanto: LockScreenManager initialized — 0 injected wallpaper(s) on record",
                "Lanto: Injecting \"Sea\" into Aerial manifest...",
                "Lanto: Successfully injected \"Sea\" as aerial " + uuidText(record.first()) }));
        const QByteArray stored = harness.aerials.settings.data("injectedWallpapers").value();
        QCOMPARE(stored,
            QStringLiteral("{\"entries\":{\"%1\":\"%2\"}}")
                .arg(uuidText(harness.a.id), uuidText(record.first()))
                .toUtf8());
    }

    void placingAnotherWallpaperReplacesTheFirst()
    {
        LockScreenHarness harness;
        harness.place(harness.a);
        const QUuid first = harness.record().first();
        harness.place(harness.b);

        const auto record = harness.record();
        QCOMPARE(record.keys(), QList<QUuid> { harness.b.id });
        QCOMPARE(harness.manifestIDs(), QStringList { uuidText(record.first()) });
        const QStringList lines = harness.lockScreenLines();
        const QString stale
            = "Lanto: Removing stale aerial " + uuidText(first) + " (wallpaper " + uuidText(harness.a.id) + ")";
        QVERIFY(lines.indexOf(stale)
            > lines.indexOf("Lanto: Successfully injected \"Hill\" as aerial " + uuidText(record.first())));
        QVERIFY(!QFile::exists(harness.aerials.paths.videoFile(uuidText(first))));
        QCOMPARE(harness.aerials.settings.string("activeAerialID"), uuidText(record.first()));
    }

    void placementsStartedTogetherLeaveOneAerial()
    {
        LockScreenHarness harness;
        QFuture<void> first = harness.manager->inject(harness.a, std::nullopt);
        QFuture<void> second = harness.manager->inject(harness.b, std::nullopt);
        first.waitForFinished();
        second.waitForFinished();

        // Each placement reads the record the one before it saved, so the earlier aerial is taken out.
        const auto record = harness.record();
        QCOMPARE(record.keys(), QList<QUuid> { harness.b.id });
        QCOMPARE(harness.manifestIDs(), QStringList { uuidText(record.first()) });
    }

    void failedPlacementKeepsWhatIsOnRecord()
    {
        LockScreenHarness harness;
        harness.place(harness.a);
        const auto before = harness.record();
        AerialHarness::write(harness.aerials.paths.manifest, "[\"the system broke it\"]");

        harness.place(harness.b);

        QVERIFY(harness.aerials.log.contains("Lanto: Failed to inject \"Hill\" into Aerial manifest"));
        QCOMPARE(harness.record(), before);
        QCOMPARE(harness.aerials.settings.boolValue("lockScreenEnabled", false), true);
        QVERIFY(QFile::exists(harness.aerials.paths.videoFile(uuidText(before.first()))));
    }

    void placingAnInstalledWallpaperAgainOnlyRestamps()
    {
        LockScreenHarness harness;
        harness.place(harness.a);
        const auto before = harness.record();
        const QByteArray manifest = AerialHarness::read(harness.aerials.paths.manifest);
        harness.aerials.log.clear();

        harness.place(harness.a);

        QCOMPARE(harness.lockScreenLines(),
            QStringList {
                "Lanto: \"Sea\" already in manifest as aerial " + uuidText(before.first()) + " — verifying plist" });
        QCOMPARE(harness.record(), before);
        QCOMPARE(AerialHarness::read(harness.aerials.paths.manifest), manifest);
    }

    void placingAWallpaperWhoseAerialWentAwayRemovesTheOldOne()
    {
        LockScreenHarness harness;
        harness.place(harness.a);
        const QUuid old = harness.record().first();
        // The system dropped the entry from its manifest.
        AerialHarness::write(harness.aerials.paths.manifest, "{\"assets\": [], \"categories\": [], \"version\": 1}");

        harness.place(harness.a);

        const QUuid renewed = harness.record().value(harness.a.id);
        QVERIFY(!renewed.isNull() && renewed != old);
        QCOMPARE(harness.record().size(), 1);
        QCOMPARE(harness.manifestIDs(), QStringList { uuidText(renewed) });
        QVERIFY(!QFile::exists(harness.aerials.paths.videoFile(uuidText(old))));
        QVERIFY(!harness.aerials.settings.dictionary("aerialAssetToHex")->contains(uuidText(old)));
        QVERIFY(QFile::exists(harness.aerials.paths.videoFile(uuidText(renewed))));
        QCOMPARE(harness.aerials.settings.string("activeAerialID"), uuidText(renewed));
    }

    void wallpapersThatCannotBePlacedChangeNothing()
    {
        LockScreenHarness harness;
        Wallpaper image = harness.a;
        image.edit().wallpaperType = WallpaperType::image;
        harness.place(image);
        QCOMPARE(harness.lockScreenLines().size(), 1);

        const Wallpaper missing = videoWallpaper("cccc0000cccc0000cccc0000", "Gone");
        harness.place(missing);
        QCOMPARE(harness.lockScreenLines().last(), "Lanto: Cannot inject \"Gone\" — no file URL");
        QVERIFY(!harness.aerials.settings.value("injectedWallpapers"));
        QCOMPARE(harness.aerials.settings.boolValue("lockScreenEnabled", false), false);
        QVERIFY(!QFile::exists(harness.aerials.paths.manifest));
    }

    void removingTheLastWallpaperTurnsTheLockScreenOff()
    {
        LockScreenHarness harness;
        harness.place(harness.a);
        const QUuid asset = harness.record().first();
        harness.aerials.log.clear();

        harness.manager->remove(harness.b).waitForFinished();
        QCOMPARE(
            harness.lockScreenLines(), QStringList { "Lanto: \"Hill\" is not on the lock screen — nothing to remove" });
        QCOMPARE(harness.record().size(), 1);

        harness.manager->remove(harness.a).waitForFinished();
        QCOMPARE(harness.lockScreenLines().mid(1),
            QStringList({ "Lanto: Removing \"Sea\" (aerial " + uuidText(asset) + ") from lock screen...",
                "Lanto: Removed \"Sea\" from lock screen" }));
        QVERIFY(harness.record().isEmpty());
        QCOMPARE(harness.aerials.settings.boolValue("lockScreenEnabled", true), false);
        QVERIFY(harness.manifestIDs().isEmpty());
    }

    void contentIsLookedUpOnTheAskingThread()
    {
        LockScreenHarness harness;
        QThread* lookedUpOn = nullptr;
        harness.manager = std::make_unique<LockScreenManager>(*harness.aerials.manager, harness.aerials.settings,
            harness.aerials.background, [&lookedUpOn](const Wallpaper& wallpaper) {
                lookedUpOn = QThread::currentThread();
                return LockScreenManager::downloadedContent(wallpaper);
            });
        harness.place(harness.a);
        QCOMPARE(lookedUpOn, QThread::currentThread());
        QCOMPARE(harness.record().keys(), QList<QUuid> { harness.a.id });
    }

    void removalDuringAPlacementWaitsForItOffTheCallingThread_data()
    {
        QTest::addColumn<bool>("removingThePlacedOne");
        QTest::newRow("the wallpaper being placed") << true;
        QTest::newRow("the wallpaper it replaces") << false;
    }

    void removalDuringAPlacementWaitsForItOffTheCallingThread()
    {
        QFETCH(bool, removingThePlacedOne);
        LockScreenHarness harness;
        harness.place(harness.b);
        // Past the restarts' cool-down: the placement of A stops in its first restart.
        harness.aerials.background.advance(3s);
        QSemaphore entered;
        QSemaphore gate;
        std::atomic<bool> hold = true;
        harness.aerials.commands.setKillallHook([&](const QString&) {
            if (hold.exchange(false)) {
                entered.release();
                gate.acquire();
            }
        });
        QFuture<void> placement = harness.manager->inject(harness.a, std::nullopt);
        QVERIFY(entered.tryAcquire(1, 10000));

        QFuture<void> removal = harness.manager->remove(removingThePlacedOne ? harness.a : harness.b);
        QVERIFY(!removal.isFinished());
        gate.release();
        placement.waitForFinished();
        removal.waitForFinished();

        const auto record = harness.record();
        QCOMPARE(record.keys(), removingThePlacedOne ? QList<QUuid>() : QList<QUuid> { harness.a.id });
        QCOMPARE(harness.aerials.settings.boolValue("lockScreenEnabled", false), !removingThePlacedOne);
        QCOMPARE(harness.manifestIDs(), removingThePlacedOne ? QStringList() : QStringList { uuidText(record.first()) });
    }

    void creationResumesTheRecordedAerialThreeSecondsLater_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("recorded");
        QTest::addColumn<bool>("resumes");
        QTest::newRow("on, recorded") << true << true << true;
        QTest::newRow("off") << false << true << false;
        QTest::newRow("nothing on record") << true << false << false;
    }

    void creationResumesTheRecordedAerialThreeSecondsLater()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, recorded);
        QFETCH(bool, resumes);
        LockScreenHarness harness;
        harness.place(harness.a);
        const QUuid asset = harness.record().first();
        harness.aerials.background.advance(3s);
        if (!recorded)
            harness.aerials.settings.set("injectedWallpapers", std::nullopt);
        harness.aerials.settings.set("lockScreenEnabled", enabled);
        harness.manager.reset();
        harness.aerials.manager = harness.aerials.makeManager();
        harness.aerials.log.clear();

        harness.manager = std::make_unique<LockScreenManager>(
            *harness.aerials.manager, harness.aerials.settings, harness.aerials.background);

        QCOMPARE(harness.lockScreenLines(),
            QStringList { QStringLiteral("Lanto: LockScreenManager initialized — %1 injected wallpaper(s) on record")
                              .arg(recorded ? 1 : 0) });
        harness.aerials.background.advance(2999ms);
        QVERIFY(harness.aerials.log.lines().filter("Resumed tracking").isEmpty());
        harness.aerials.background.advance(1ms);
        QCOMPARE(harness.aerials.log.contains("Lanto AerialManager: Resumed tracking for aerial " + uuidText(asset)
                     + " on display " + harness.aerials.mainDisplay()),
            resumes);
        QCOMPARE(harness.aerials.manager->activeAerialAssetID().has_value(), resumes);
    }
};

QTEST_GUILESS_MAIN(LockScreenManagerTest)
#include "tst_lockscreenmanager.moc"
