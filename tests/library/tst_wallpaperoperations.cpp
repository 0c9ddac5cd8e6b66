#include "LibraryRig.h"
#include "LocalWallpaperMeta.h"
#include "LogCapture.h"
#include "SettingsKeys.h"

using namespace std::chrono_literals;

namespace {

QStringList recordsShowing(const FakeDesktopShows& desktop, const QUuid& id)
{
    QStringList keys;
    for (const ScreenModel& record : desktop.records) {
        if (record.wallpaperID == id)
            keys.append(record.id());
    }
    return keys;
}

} // namespace

class TestWallpaperOperations : public QObject
{
    Q_OBJECT

private slots:
    void toggleFavorite_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<bool>("catalogue");
        QTest::addColumn<QStringList>("onCalls");
        QTest::addColumn<QStringList>("offCalls");
        const QString id = hexId(1);
        QTest::newRow("signed in") << true << true << QStringList { "event favorite " + id, "favorite+ " + id }
                                   << QStringList { "favorite- " + id };
        QTest::newRow("signed out") << false << true << QStringList { "event favorite " + id } << QStringList {};
        QTest::newRow("own item") << true << false << QStringList {} << QStringList {};
    }
    void toggleFavorite()
    {
        QFETCH(bool, signedIn);
        QFETCH(bool, catalogue);
        QFETCH(QStringList, onCalls);
        QFETCH(QStringList, offCalls);
        LogCapture log;
        LibraryRig rig;
        rig.service.signedIn = signedIn;
        rig.service.favoriteSyncs.autoAnswer = std::optional<QString>("offline");
        WallpaperManager& library = rig.start();
        const Wallpaper wallpaper = catalogue ? catalogueItem(1) : localItem("abc1234");

        library.toggleFavorite(wallpaper);
        QCOMPARE(rig.service.calls, onCalls);
        QCOMPARE(rig.settings.uuidSet(SettingsKey::favorites), QSet<QUuid> { wallpaper.id });
        if (signedIn && catalogue) // a failed sync keeps the local state
            QTRY_VERIFY(log.contains("Lanto: Failed to sync favorite — offline"));
        QCOMPARE(library.favorites(), QSet<QUuid> { wallpaper.id });

        rig.service.calls.clear();
        library.toggleFavorite(wallpaper);
        QCOMPARE(rig.service.calls, offCalls);
        QVERIFY(library.favorites().isEmpty());
        QVERIFY(rig.settings.uuidSet(SettingsKey::favorites).isEmpty());
    }

    void deleteWallpaper_data()
    {
        QTest::addColumn<QString>("shown"); // "all", "displays" (1 and 2 one by one, 3 unplugged) or ""
        QTest::addColumn<QString>("ownStatus"); // an own item with this status; empty: a catalogue item
        QTest::addColumn<QStringList>("desktopCalls");
        QTest::addColumn<QStringList>("serviceCalls");
        QTest::addColumn<bool>("keptInLibrary");
        const QString id = hexId(1);
        QTest::newRow("on every display")
            << "all" << QString() << QStringList { "remove all" } << QStringList { "event remove " + id } << true;
        QTest::newRow("on each display, one unplugged")
            << "displays" << QString() << QStringList { "remove 1", "remove 2", "remove 3" }
            << QStringList { "event remove " + id } << true;
        QTest::newRow("own pending item")
            << ""
            << "pending" << QStringList {} << QStringList { "withdraw abc1234" } << false;
        QTest::newRow("own approved item") << "" << "approved" << QStringList {} << QStringList {} << false;
    }
    void deleteWallpaper()
    {
        QFETCH(QString, shown);
        QFETCH(QString, ownStatus);
        QFETCH(QStringList, desktopCalls);
        QFETCH(QStringList, serviceCalls);
        QFETCH(bool, keptInLibrary);
        LibraryRig rig;
        rig.addTwoDisplays();
        rig.desktop.records.insert("3", ScreenModel(3, "Unplugged"));
        if (!ownStatus.isEmpty())
            rig.addLocalItem("abc1234", ownStatus);
        else
            rig.addFolder(hexId(1), "content.mov");
        WallpaperManager& library = rig.startOnAllDisplays();
        if (ownStatus.isEmpty())
            library.mergeIntoLibrary({ catalogueItem(1) });
        const Wallpaper wallpaper = library.allWallpaperList().at(0);
        if (shown == "all") {
            library.apply(wallpaper);
        } else if (shown == "displays") {
            for (const QString& key : { QStringLiteral("1"), QStringLiteral("2") }) {
                library.setSelectedScreenKey(key);
                library.apply(wallpaper);
            }
            rig.desktop.records.find("3")->wallpaperID = wallpaper.id;
            library.setSelectedScreenKey(QStringLiteral("1"));
        }
        rig.service.calls.clear();
        rig.desktop.calls.clear();

        library.deleteWallpaper(wallpaper);
        QCOMPARE(rig.desktop.calls, desktopCalls);
        QCOMPARE(rig.lockScreen.calls, shown.isEmpty() ? QStringList {} : QStringList { "remove " + wallpaper.hexID() });
        QCOMPARE(rig.service.calls, serviceCalls);
        QVERIFY(recordsShowing(rig.desktop, wallpaper.id).isEmpty());
        QVERIFY(library.screenWallpapers().isEmpty());
        QVERIFY(!library.activeWallpaperID());
        QVERIFY(!QDir(rig.downloads() + "/" + wallpaper.hexID()).exists());
        QVERIFY(!library.downloaded().contains(wallpaper.id));
        QVERIFY(!rig.settings.uuidSet(SettingsKey::downloads).contains(wallpaper.id));
        QCOMPARE(library.allWallpaperList().rowOf(wallpaper.id).has_value(), keptInLibrary);
    }

    // Own items carry their local hex id as cloudID; the service never issued it.
    void ownItemsReportNothingToTheService()
    {
        LibraryRig rig;
        rig.service.signedIn = true;
        rig.addLocalItem("abc1234");
        WallpaperManager& library = rig.startOnAllDisplays();
        const std::optional<Wallpaper> own = rig.record("abc1234");
        QVERIFY(own);
        QCOMPARE(own->cloudID(), QStringLiteral("abc1234"));

        library.apply(*own);
        library.toggleFavorite(*own);
        library.toggleFavorite(*own);
        library.deleteWallpaper(*own);
        QCOMPARE(rig.service.calls, QStringList {});
        QCOMPARE(rig.desktop.calls.first(), QStringLiteral("video content.mov all"));
        QVERIFY(!rig.record("abc1234"));
    }

    void search_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("empty: everything") << "" << QStringList { "abc1234", "a", "b", "c", "d", "e" };
        QTest::newRow("anime: category, title, tag") << "anime" << QStringList { "a", "b", "d" };
        QTest::newRow("ANIME: any case") << "ANIME" << QStringList { "a", "b", "d" };
        QTest::newRow("ani: no category") << "ani" << QStringList { "b", "c", "d" };
        QTest::newRow("sci-fi: whole category name") << "sci-fi" << QStringList { "e" };
        QTest::newRow("sci: no part of a category") << "sci" << QStringList {};
        QTest::newRow("no trimming") << " anime" << QStringList { "b" };
    }
    void search()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, found);
        LibraryRig rig;
        rig.addLocalItem("abc1234"); // its title "Mine abc1234" would match "mine"; own items never show
        WallpaperManager& library = rig.start();
        auto item = [](const QString& hex, WallpaperCategory category, const QString& title, const QString& creator,
                        const QStringList& tags) {
            Wallpaper wallpaper = localItem(hex);
            wallpaper.edit().cloudID = hex;
            wallpaper.edit().category = category;
            wallpaper.edit().title = title;
            wallpaper.edit().creator.name = creator;
            wallpaper.edit().tags = tags;
            return wallpaper;
        };
        library.mergeIntoLibrary({ item("a", WallpaperCategory::anime, "Sunset", "Jo", {}),
            item("b", WallpaperCategory::nature, "My anime dream", "Jo", {}),
            item("c", WallpaperCategory::nature, "Sea", "Daniela", {}),
            item("d", WallpaperCategory::space, "Stars", "Jo", { "Anime-Style" }),
            item("e", WallpaperCategory::sciFi, "Ships", "Jo", {}) });
        QCOMPARE(hexIDs(library.search(query)), found);
        QVERIFY(library.search("mine").isEmpty());
    }

    void renameAndCreator()
    {
        LibraryRig rig;
        rig.addFolder(hexId(1), "content.mov");
        WallpaperManager& library = rig.start();
        Wallpaper mine = catalogueItem(1);
        Wallpaper theirs = catalogueItem(2);
        theirs.edit().creator.id = uuidFromHexID("ffff");
        library.mergeIntoLibrary({ mine, theirs });

        library.renameWallpaper(mine.id, " New name ");
        library.renameWallpaper(uuidFromHexID("beef"), "Nobody");
        QCOMPARE(library.allWallpaperList().at(0).title(), " New name ");
        QFile file(rig.downloads() + "/" + hexId(1) + "/metadata.json");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(LocalWallpaperMeta::fromJson(file.readAll())->title, " New name ");

        const std::optional<QString> avatar = mine.creator().avatarUrl;
        library.updateOwnCreator(*mine.creator().serverProfileId, "Renamed", std::nullopt);
        QCOMPARE(library.allWallpaperList().at(0).creator().name, "Renamed");
        QCOMPARE(library.allWallpaperList().at(0).creator().avatarUrl, avatar);
        QCOMPARE(library.allWallpaperList().at(1).creator().name, theirs.creator().name);
        library.updateOwnCreator(*mine.creator().serverProfileId, "Renamed", "https://a.example/me.png");
        QCOMPARE(library.allWallpaperList().at(0).creator().avatarUrl, "https://a.example/me.png");
    }

    // The account's own imports follow a rename whatever the shape of its profile id.
    void renameReachesOwnImports_data()
    {
        QTest::addColumn<QString>("profileId");
        QTest::newRow("service's 24 hex digits") << "9618d09828f1de17c2c90657";
        QTest::newRow("UUID text") << "00112233-4455-6677-8899-AABBCCDDEEFF";
        QTest::newRow("UUID text, lower case") << "00112233-4455-6677-8899-aabbccddeeff";
    }
    void renameReachesOwnImports()
    {
        QFETCH(QString, profileId);
        LibraryRig rig;
        rig.account.account = SignedInAccount{profileId, "Robin Tester", std::nullopt};
        rig.addLocalItem("abc1234");
        rig.addLocalItem("abc5678", "approved");
        WallpaperManager& library = rig.start();
        QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
        Wallpaper theirs = catalogueItem(2);
        library.mergeIntoLibrary({ theirs });
        QVERIFY(rig.record("abc1234"));
        QCOMPARE(rig.record("abc1234")->creator().name, "Robin Tester");

        library.updateOwnCreator(profileId, "Robin Renamed", "https://a.example/me.png");
        for (const QString& own : { QStringLiteral("abc1234"), QStringLiteral("abc5678") }) {
            QCOMPARE(rig.record(own)->creator().name, "Robin Renamed");
            QCOMPARE(rig.record(own)->creator().avatarUrl, "https://a.example/me.png");
        }
        QCOMPARE(rig.record(hexId(2))->creator().name, theirs.creator().name);
    }

    // Every display shows one wallpaper, then display 2 another.
    void displayQueries()
    {
        LibraryRig rig;
        rig.addTwoDisplays();
        rig.addFolder(hexId(1), "content.mov");
        rig.addFolder(hexId(2), "content.png");
        WallpaperManager& library = rig.startOnAllDisplays();
        const Wallpaper everywhere = catalogueItem(1);
        const Wallpaper second = catalogueItem(2);
        library.mergeIntoLibrary({ everywhere, second });
        library.apply(everywhere);
        QVERIFY(library.isActive(everywhere.id));
        library.setSelectedScreenKey(QStringLiteral("2"));
        library.apply(second);

        QVERIFY(!library.isActive(everywhere.id));
        QVERIFY(library.isActive(second.id));
        library.setSelectedScreenKey(QStringLiteral("1"));
        QVERIFY(library.isActive(everywhere.id));
        library.setSelectedScreenKey(std::nullopt);
        QVERIFY(!library.isActive(everywhere.id)); // no longer on every display
        QCOMPARE(library.wallpaper("1")->hexID(), everywhere.hexID());
        QCOMPARE(library.wallpaper("2")->hexID(), second.hexID());
        QVERIFY(!library.wallpaper("9"));
    }

    // A folder made after start-up, as an import makes one, can be applied once registered.
    void registeredFolderApplies()
    {
        LibraryRig rig;
        WallpaperManager& library = rig.startOnAllDisplays();
        rig.addFolder("abc1234", "content.mov");
        Wallpaper imported = localItem("abc1234");
        imported.edit().cloudID = imported.hexID();
        QVERIFY(!library.files().isDownloaded(imported));
        library.registerLocalFolder(imported);
        library.apply(imported);
        QCOMPARE(rig.desktop.calls, QStringList { "video content.mov all" });
        QCOMPARE(rig.service.calls, QStringList { "event apply abc1234" });
    }
};

QTEST_GUILESS_MAIN(TestWallpaperOperations)
#include "tst_wallpaperoperations.moc"
