#include "CatalogueCache.h"
#include "LibraryRig.h"
#include "LogCapture.h"
#include "OrphanRecovery.h"
#include "WallpaperLookup.h"

#include <QtTest>

namespace {

// Knows the records it is given; every other id fails as the service would.
class FakeLookup final : public WallpaperLookup
{
public:
    QMap<QString, APIWallpaper> known;
    QStringList asked;

    QFuture<Fetched<APIWallpaper>> fetchWallpaper(const QString& id) override
    {
        asked.append(id);
        return QtFuture::makeReadyFuture(known.contains(id) ? Fetched<APIWallpaper>::success(known.value(id))
                                                            : Fetched<APIWallpaper>::failed("HTTP error 404"));
    }
};

QStringList hexIDsOf(const WallpaperManager& library)
{
    QStringList ids;
    for (const Wallpaper& wallpaper : library.allWallpaperList().items())
        ids.append(wallpaper.hexID());
    return ids;
}

} // namespace

class TestOrphanRecovery : public QObject
{
    Q_OBJECT

private slots:
    void orphansAreEntriesNoRecordExplains();
    void recoveredDownloadsJoinTheLibraryAndTheCache();
    void noOrphansSendNoRequest();
    void unknownIdsAreSkippedSilently();
};

void TestOrphanRecovery::orphansAreEntriesNoRecordExplains()
{
    LibraryRig rig;
    rig.addLocalItem("abc1234");
    rig.addFolder(hexId(1), "content.mov");
    rig.addFolder(hexId(2), "content.mov");
    const QStringList entries { hexId(1), "abc1234", "notes.txt", hexId(2) };
    QCOMPARE(OrphanRecovery::orphans(entries, { hexId(2) }, rig.downloads()), (QStringList { hexId(1), "notes.txt" }));
}

void TestOrphanRecovery::recoveredDownloadsJoinTheLibraryAndTheCache()
{
    LibraryRig rig;
    rig.addFolder(hexId(1), "content.mov");
    QFile stray(rig.downloads() + "/notes.txt");
    QVERIFY(stray.open(QIODevice::WriteOnly));
    stray.close();
    WallpaperManager& library = rig.start();
    QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
    FakeLookup lookup;
    lookup.known.insert(hexId(1), catalogueRecord(hexId(1)));
    OrphanRecovery recovery(library, lookup, rig.downloads());

    LogCapture log;
    QFuture<void> done = recovery.reconcileOrphanedDownloads();
    QVERIFY(QTest::qWaitFor([&] { return done.isFinished(); }));
    QCOMPARE(QSet<QString>(lookup.asked.cbegin(), lookup.asked.cend()), (QSet<QString> { hexId(1), "notes.txt" }));
    QVERIFY(hexIDsOf(library).contains(hexId(1)));
    QTRY_COMPARE(rig.cachedIds(), QStringList { hexId(1) });
    QCOMPARE(log.lines().size(), 2);
    QVERIFY(log.lines()[0] == "Lanto: Reconciling 2 orphaned downloads: " + lookup.asked.join(", "));
    QCOMPARE(log.lines()[1], QString("Lanto: Recovered 1 wallpapers from API"));
}

void TestOrphanRecovery::noOrphansSendNoRequest()
{
    LibraryRig rig;
    rig.addLocalItem("abc1234");
    WallpaperManager& library = rig.start();
    QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
    FakeLookup lookup;
    OrphanRecovery recovery(library, lookup, rig.downloads());
    LogCapture log;
    QVERIFY(recovery.reconcileOrphanedDownloads().isFinished());
    QVERIFY(lookup.asked.isEmpty());
    QVERIFY(log.lines().isEmpty());
}

void TestOrphanRecovery::unknownIdsAreSkippedSilently()
{
    LibraryRig rig;
    rig.addFolder(hexId(7), "content.mov");
    WallpaperManager& library = rig.start();
    QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
    const QStringList before = hexIDsOf(library);
    FakeLookup lookup;
    OrphanRecovery recovery(library, lookup, rig.downloads());
    LogCapture log;
    QFuture<void> done = recovery.reconcileOrphanedDownloads();
    QVERIFY(QTest::qWaitFor([&] { return done.isFinished(); }));
    QCOMPARE(lookup.asked, QStringList { hexId(7) });
    QCOMPARE(hexIDsOf(library), before);
    QCOMPARE(log.lines(), QStringList { "Lanto: Reconciling 1 orphaned downloads: " + hexId(7) });
    QVERIFY(!QFile::exists(rig.cachePath()));
}

QTEST_GUILESS_MAIN(TestOrphanRecovery)
#include "tst_orphanrecovery.moc"
