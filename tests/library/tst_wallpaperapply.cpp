#include "HexID.h"
#include "LibraryRig.h"
#include "LogCapture.h"
#include "SettingsKeys.h"
#include "SystemVersion.h"
#include "UuidText.h"

#include <QSignalSpy>

using namespace std::chrono_literals;

class TestWallpaperApply : public QObject
{
    Q_OBJECT

private slots:
    void init() { SystemVersion::setCurrent(QVersionNumber(26, 0, 0)); }

    void eventsAndDownload_data()
    {
        QTest::addColumn<bool>("catalogue");
        QTest::addColumn<bool>("onDisk");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("catalogue, not downloaded: one download for two applies")
            << true << false << QStringList { "apply " + hexId(1), "apply " + hexId(1), "download " + hexId(1) };
        QTest::newRow("catalogue, downloaded")
            << true << true << QStringList { "apply " + hexId(1), "apply " + hexId(1) };
        QTest::newRow("own item: no events") << false << true << QStringList {};
    }
    void eventsAndDownload()
    {
        QFETCH(bool, catalogue);
        QFETCH(bool, onDisk);
        QFETCH(QStringList, events);
        LibraryRig rig;
        rig.addTwoDisplays();
        const Wallpaper wallpaper = catalogue ? catalogueItem(1) : localItem("abc1234");
        if (onDisk)
            rig.addFolder(wallpaper.hexID(), "content.mov");
        WallpaperManager& library = rig.startOnAllDisplays();

        library.apply(wallpaper);
        library.apply(wallpaper);
        if (!onDisk) {
            QTRY_COMPARE(rig.service.downloads.pendingCount(), 1);
            QCOMPARE(library.downloadingWallpapers(), (QMap<QUuid, double> { { wallpaper.id, 0.0 } }));
            rig.service.lastProgress(0.5);
            QCOMPARE(library.downloadingWallpapers(), (QMap<QUuid, double> { { wallpaper.id, 0.5 } }));
            QVERIFY(rig.desktop.calls.isEmpty());
            QVERIFY(!library.lastAppliedTitle());
            rig.addFolder(wallpaper.hexID(), "content.mov");
            rig.cloud.recordDownload(*wallpaper.cloudID(),
                QUrl::fromLocalFile(rig.downloads() + "/" + wallpaper.hexID() + "/content.mov"), std::nullopt);
            rig.service.downloads.answer(Fetched<QUrl>::success(QUrl()));
            QTRY_COMPARE(rig.service.events, events);
            rig.service.lastProgress(0.9); // late report after the end
        }
        QCOMPARE(rig.service.events, events);
        QVERIFY(library.downloadingWallpapers().isEmpty());
        QCOMPARE(rig.desktop.calls.last(), QStringLiteral("video content.mov all"));
        QCOMPARE(library.lastAppliedTitle(), wallpaper.title());
        QVERIFY(library.downloaded().contains(wallpaper.id));
        QCOMPARE(rig.settings.uuidSet(SettingsKey::downloads), QSet<QUuid> { wallpaper.id });
    }

    void failureChangesNothing_data()
    {
        QTest::addColumn<bool>("download");
        QTest::addColumn<QString>("line");
        QTest::newRow("download fails")
            << true
            << QStringLiteral(
                   "Lanto[apply-fix]: downloadAndApply failed on main=1 — Failed to download wallpaper: 404");
        QTest::newRow("no content file") << false
                                         << QStringLiteral("Lanto: No file found for wallpaper Own abc1234 (abc1234)");
    }
    void failureChangesNothing()
    {
        QFETCH(bool, download);
        QFETCH(QString, line);
        LogCapture log;
        LibraryRig rig;
        rig.addTwoDisplays();
        WallpaperManager& library = rig.startOnAllDisplays();
        QSignalSpy downloaded(&library, &WallpaperManager::downloadedChanged);
        QSignalSpy failed(&library, &WallpaperManager::downloadFailed);

        if (download) {
            library.apply(catalogueItem(1));
            QTRY_COMPARE(rig.service.downloads.pendingCount(), 1);
            rig.service.downloads.answer(Fetched<QUrl>::failed("Failed to download wallpaper: 404"));
        } else {
            library.apply(localItem("abc1234"));
        }
        QTRY_VERIFY(log.contains(line));
        QVERIFY(library.downloadingWallpapers().isEmpty());
        QCOMPARE(downloaded.count(), 0);
        QVERIFY(!library.activeWallpaperID());
        QVERIFY(library.screenWallpapers().isEmpty());
        QVERIFY(!library.lastAppliedTitle());
        QVERIFY(rig.desktop.calls.isEmpty());
        QVERIFY(!rig.desktop.records.first().wallpaperID);
        QVERIFY(!rig.settings.value(SettingsKey::downloads));
        // Only a failed download is news for the user; a missing file is the log's business.
        const QList<QVariantList> expected = download ? QList<QVariantList> { { catalogueItem(1).title() } }
                                                      : QList<QVariantList> {};
        QCOMPARE(QList<QVariantList>(failed), expected);
    }

    void allDisplaysOrChosen_data()
    {
        QTest::addColumn<QString>("chosen"); // empty: all displays
        QTest::addColumn<QStringList>("marked"); // records that name the wallpaper
        QTest::addColumn<QString>("injected");
        QTest::newRow("all") << QString() << QStringList { "1", "2" } << "inject " + hexId(1) + " main";
        QTest::newRow("second") << "2" << QStringList { "2" }
                                << "inject " + hexId(1) + " " + FakeDisplays::uuidForNumber(2);
        QTest::newRow("display without record") << "7" << QStringList {} << "inject " + hexId(1) + " main";
    }
    void allDisplaysOrChosen()
    {
        QFETCH(QString, chosen);
        QFETCH(QStringList, marked);
        QFETCH(QString, injected);
        LibraryRig rig;
        rig.addTwoDisplays();
        const Wallpaper other = catalogueItem(9);
        const Wallpaper wallpaper = catalogueItem(1);
        rig.addFolder(other.hexID(), "content.mov");
        rig.addFolder(wallpaper.hexID(), "content.mov");
        WallpaperManager& library = rig.startOnAllDisplays();
        library.apply(other); // every display shows another one first
        if (!chosen.isEmpty())
            library.setSelectedScreenKey(chosen);

        library.apply(wallpaper);
        QMap<QString, QUuid> expected { { "1", other.id }, { "2", other.id } };
        for (const QString& key : chosen.isEmpty() ? QStringList { "1", "2" } : QStringList { chosen })
            expected.insert(key, wallpaper.id);
        QCOMPARE(library.screenWallpapers(), expected);
        QCOMPARE(library.activeWallpaperID(), chosen.isEmpty() ? std::optional(wallpaper.id) : std::nullopt);
        QCOMPARE(library.isActive(wallpaper.id), true);
        QStringList named;
        for (const ScreenModel& record : std::as_const(rig.desktop.records)) {
            if (record.wallpaperID == wallpaper.id)
                named.append(record.id());
        }
        QCOMPARE(named, marked);
        QCOMPARE(rig.desktop.calls.last(), "video content.mov " + (chosen.isEmpty() ? QStringLiteral("all") : chosen));
        rig.scheduler.advance(2s);
        QCOMPARE(rig.lockScreen.calls, QStringList { injected });
    }

    void videoByExtension_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("video");
        QTest::newRow("MOV") << "content.MOV" << true;
        QTest::newRow("m4v") << "content.m4v" << true;
        QTest::newRow("Mkv") << "content.Mkv" << true;
        QTest::newRow("webm") << "content.webm" << false;
        QTest::newRow("heic") << "content.heic" << false;
    }
    void videoByExtension()
    {
        QFETCH(QString, file);
        QFETCH(bool, video);
        LibraryRig rig;
        rig.addTwoDisplays();
        rig.addFolder("abc1234", file);
        WallpaperManager& library = rig.startOnAllDisplays();
        library.apply(localItem("abc1234"));
        QCOMPARE(rig.desktop.calls, QStringList { (video ? "video " : "picture ") + file + " all" });
        QCOMPARE(library.lockScreenApplyGeneration(), video ? 1 : 0);
    }

    void lockScreenWait_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("wait");
        QTest::newRow("26: 2 s") << 26 << 2;
        QTest::newRow("15: 5 s") << 15 << 5;
        QTest::newRow("14: never") << 14 << 0;
    }
    // Two videos inside the wait: only the second reaches the lock screen; a still between them cancels nothing.
    void lockScreenWait()
    {
        QFETCH(int, version);
        QFETCH(int, wait);
        SystemVersion::setCurrent(QVersionNumber(version, 0, 0));
        LogCapture log;
        LibraryRig rig;
        rig.addTwoDisplays();
        rig.addFolder("aaaaaaa", "content.mov");
        rig.addFolder("bbbbbbb", "content.mov");
        rig.addFolder("ccccccc", "content.png");
        WallpaperManager& library = rig.startOnAllDisplays();

        library.apply(localItem("aaaaaaa"));
        rig.scheduler.advance(1s);
        library.apply(localItem("bbbbbbb"));
        library.apply(localItem("ccccccc"));
        if (wait == 0) {
            rig.scheduler.advance(10s);
            QVERIFY(rig.lockScreen.calls.isEmpty());
            return;
        }
        rig.scheduler.advance(std::chrono::seconds(wait) - 1ms);
        QVERIFY(rig.lockScreen.calls.isEmpty());
        rig.scheduler.advance(1ms);
        QCOMPARE(rig.lockScreen.calls, QStringList { "inject bbbbbbb main" });
        QCOMPARE(log.lines().count("Lanto: Lock screen apply cancelled — newer wallpaper applied"), 1);
    }
};

QTEST_GUILESS_MAIN(TestWallpaperApply)
#include "tst_wallpaperapply.moc"
