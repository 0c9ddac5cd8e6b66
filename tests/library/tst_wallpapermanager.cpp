#include "CatalogueCache.h"
#include "CategoryWallpaperModel.h"
#include "CloudService.h"
#include "FakeDisplays.h"
#include "HexID.h"
#include "LantoSettings.h"
#include "LibraryRig.h"
#include "LocalLibrary.h"
#include "LocalWallpaperMeta.h"
#include "LogCapture.h"
#include "SettingsKeys.h"
#include "TemporaryHome.h"
#include "UuidText.h"
#include "VirtualScheduler.h"
#include "WallpaperManager.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

QList<APIWallpaper> records(std::initializer_list<int> numbers)
{
    QList<APIWallpaper> list;
    for (int n : numbers)
        list.append(catalogueRecord(hexId(n)));
    return list;
}

QList<APIWallpaper> recordRange(int first, int last)
{
    QList<APIWallpaper> list;
    for (int n = first; n <= last; ++n)
        list.append(catalogueRecord(hexId(n)));
    return list;
}

Result<DiscoverResponse> discover(QList<APIWallpaper> featured, QList<APIWallpaper> todaysPicks = {},
                               QList<APIWallpaper> trending = {}, QList<APIWallpaper> newThisWeek = {},
                               std::optional<QList<APIWallpaper>> free = std::nullopt)
{
    return Result<DiscoverResponse>(DiscoverResponse{featured, todaysPicks, trending, newThisWeek, free});
}

APITag tag(const QString& id, qint64 sortOrder, std::optional<QString> parent)
{
    APITag t;
    t.id = t.name = id;
    t.groupName = "g";
    t.sortOrder = sortOrder;
    t.parentId = std::move(parent);
    return t;
}

} // namespace

class TestWallpaperManager : public QObject
{
    Q_OBJECT

private slots:
    void startupHoldsLocalStateBeforeAnyAnswer()
    {
        LibraryRig rig;
        rig.addLocalItem("abc1234", "pending");
        rig.addFolder(hexId(2), "content.mov"); // a catalogue download with a cache record
        rig.writeCache(records({1, 2}));
        const QUuid favourite = uuidFromHexID(hexId(1));
        rig.settings.set(SettingsKey::favorites, PlistValue(PlistValue::Array{uuidText(favourite)}));

        WallpaperManager& library = rig.start();
        // Before the cache has been read and before any request has been answered.
        QCOMPARE(library.submissionStatuses(), (QMap<QString, QString>{{"abc1234", "pending"}}));
        QVERIFY(library.downloaded().contains(uuidFromHexID("abc1234")));
        QCOMPARE(library.favorites(), QSet<QUuid>{favourite});
        QVERIFY(library.allWallpapers()->loading());

        QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
        QCOMPARE(hexIDs(library.allWallpaperList().items()), (QStringList{"abc1234", hexId(1), hexId(2)}));
        QCOMPARE(rig.cardPrefetches.size(), 1);
        QCOMPARE(hexIDs(rig.cardPrefetches.first()), (QStringList{"abc1234", hexId(2)}));
        QCOMPARE(rig.reconciliations, 1);
        QCOMPARE(rig.catalogue.discover.requests, 1);
        QCOMPARE(rig.catalogue.tags.requests, 1);
        QVERIFY(library.isLoadingManifest());
    }

    void theMainDisplayIsSelected_data()
    {
        QTest::addColumn<bool>("mainHasARecord");
        QTest::newRow("main display has a record") << true;
        QTest::newRow("no record of the main display") << false;
    }

    void theMainDisplayIsSelected()
    {
        QFETCH(bool, mainHasARecord);
        LibraryRig rig;
        const ConnectedDisplay first = rig.displays.addDisplay("A", QRect(0, 0, 1920, 1080));
        const ConnectedDisplay second = rig.displays.addDisplay("B", QRect(1920, 0, 3440, 1440));
        rig.displays.setMainDisplay(second.uuid);
        rig.screens.screens = {ScreenModel(*first.number, "A")};
        if (mainHasARecord)
            rig.screens.screens.append(ScreenModel(*second.number, "B"));
        WallpaperManager& library = rig.start();
        QCOMPARE(library.selectedScreenKey(),
                 mainHasARecord ? std::optional<QString>(QString::number(*second.number)) : std::nullopt);
        QCOMPARE(library.hasUltraWideScreen(), mainHasARecord);
    }

    void displayRecordsFollowTheController()
    {
        LibraryRig rig;
        const QUuid shown = QUuid::createUuid();
        ScreenModel a(1, "A");
        a.wallpaperID = shown;
        ScreenModel b(2, "B");
        b.wallpaperID = QUuid::createUuid();
        rig.displays.addDisplay("A", QRect(0, 0, 100, 100));
        rig.displays.addDisplay("B", QRect(0, 0, 100, 100));
        rig.displays.setMainDisplay(FakeDisplays::uuidForNumber(2));
        rig.screens.screens = {a, b};
        WallpaperManager& library = rig.start();
        QCOMPARE(library.selectedScreenKey(), std::optional<QString>("2"));
        QCOMPARE(library.screenWallpapers().size(), 2);

        // A's record loses its wallpaper (the entry stays), B is unplugged.
        a.wallpaperID.reset();
        rig.screens.screens = {a};
        QSignalSpy changed(&library, &WallpaperManager::screenWallpapersChanged);
        rig.screens.onChanged();
        QCOMPARE(library.connectedScreens().size(), 2); // answered on a later turn
        QTRY_COMPARE(changed.size(), 1);
        QCOMPARE(library.screenWallpapers(), (QMap<QString, QUuid>{{"1", shown}}));
        QVERIFY(!library.selectedScreenKey());

        // The callback outlives the library harmlessly.
        rig.manager.reset();
        rig.screens.onChanged();
        QCoreApplication::processEvents();
    }

    void refreshFillsTheRowsAndMergesThemOnce()
    {
        LibraryRig rig;
        rig.writeCache(records({10, 11, 3}));
        rig.catalogue.discover.autoAnswer = discover(records({1, 2}), records({2, 3}), {}, records({4}));
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{{"g", {tag("t1", 0, std::nullopt)}}});
        WallpaperManager& library = rig.start();
        QSignalSpy loading(&library, &WallpaperManager::isLoadingManifestChanged);
        QVERIFY(rig.refreshed());

        QCOMPARE(hexIDs(library.row(WallpaperManager::DiscoverRow::featured).items()), (QStringList{hexId(1), hexId(2)}));
        QCOMPARE(hexIDs(library.row(WallpaperManager::DiscoverRow::todaysPicks).items()),
                 (QStringList{hexId(2), hexId(3)}));
        QCOMPARE(library.freeWallpapers()->rowCount(), 0);
        QCOMPARE(library.newThisWeek()->rowCount(), 1);
        // The known record 3 keeps its place; 10 and 11 are no longer listed and go.
        QCOMPARE(hexIDs(library.allWallpaperList().items()), (QStringList{hexId(3), hexId(1), hexId(2), hexId(4)}));
        QCOMPARE(library.serverKnownIDs().size(), 4);
        QCOMPARE(library.tagCatalog().keys(), QStringList{"t1"});
        QVERIFY(!library.manifestError());
        QVERIFY(QTest::qWaitFor([&] { return rig.cachedIds() == QStringList{hexId(3), hexId(1), hexId(2), hexId(4)}; }));
        QCOMPARE(rig.thumbnails.requested, (QStringList{hexId(1), hexId(2), hexId(3), hexId(4)}));
        QCOMPARE(library.ultraWideWallpapers()->rowCount(), 0);
    }

    void ultraWideWallpapersFollowTheLibrary()
    {
        LibraryRig rig;
        rig.addLocalItem("abc1234");
        QList<APIWallpaper> rows{catalogueRecord(hexId(1), "Nature", QSize(5120, 1440), 3),
                                 catalogueRecord(hexId(2), "Nature", QSize(3840, 2160), 9),
                                 catalogueRecord(hexId(3), "Nature", QSize(3840, 1920), 8)};
        rig.catalogue.discover.autoAnswer = discover(rows);
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{});
        WallpaperManager& library = rig.start();
        QAbstractItemModelTester tester(library.ultraWideWallpapers(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(rig.refreshed());
        QTRY_COMPARE(library.ultraWideWallpapers()->rowCount(), 2);
        QCOMPARE(library.ultraWideWallpapers()->index(0).data(WallpaperListModel::HexIDRole).toString(), hexId(3));
    }

    void pruningSparesDownloadsAndLocalItems()
    {
        LibraryRig rig;
        rig.addFolder(hexId(2), "content.mov"); // downloaded, not listed
        rig.addLocalItem(hexId(3), std::nullopt, false); // own item with a cache record, not listed
        QList<APIWallpaper> cached = records({1, 2, 3, 4});
        rig.writeCache(cached);
        rig.catalogue.discover.autoAnswer = discover(records({4}));
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(APIError::serverError("offline"));
        LogCapture log;
        WallpaperManager& library = rig.start();
        QVERIFY(rig.refreshed());

        QCOMPARE(hexIDs(library.allWallpaperList().items()), (QStringList{hexId(3), hexId(2), hexId(4)}));
        QVERIFY(QTest::qWaitFor([&] { return rig.cachedIds() == QStringList{hexId(2), hexId(4)}; }));
        QTRY_VERIFY(log.contains("Lanto: Pruned 2 stale wallpapers from cache"));
    }

    void aFailedDiscoverChangesNothingElse()
    {
        LibraryRig rig;
        rig.writeCache(records({1}));
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{{"g", {tag("t1", 0, std::nullopt)}}});
        WallpaperManager& library = rig.start();
        QVERIFY(QTest::qWaitFor([&] { return rig.catalogue.discover.pendingCount() == 1; }));
        LogCapture log;
        rig.catalogue.discover.answer(Result<DiscoverResponse>(APIError::serverError("The Internet connection appears to be offline.")));
        QVERIFY(rig.refreshed());

        QCOMPARE(library.manifestError(), std::optional<QString>("The Internet connection appears to be offline."));
        QCOMPARE(hexIDs(library.allWallpaperList().items()), QStringList{hexId(1)});
        QVERIFY(library.tagCatalog().isEmpty());
        QVERIFY(library.serverKnownIDs().isEmpty());
        QCOMPARE(rig.cachedIds(), QStringList{hexId(1)});
        QVERIFY(log.lines().isEmpty());

        // The next refresh clears the error at its start.
        rig.catalogue.discover.autoAnswer = discover(records({1}));
        library.refreshCatalogue();
        QVERIFY(!library.manifestError());
        QVERIFY(rig.refreshed());
        QCOMPARE(library.tagCatalog().size(), 1);
    }

    void aFailedTagsRequestKeepsTheCatalogue()
    {
        LibraryRig rig;
        rig.catalogue.discover.autoAnswer = discover(records({1}));
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{{"g", {tag("t1", 0, std::nullopt)}}});
        WallpaperManager& library = rig.start();
        QVERIFY(rig.refreshed());
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(APIError::serverError("timed out"));
        QSignalSpy tags(&library, &WallpaperManager::tagCatalogChanged);
        library.refreshCatalogue();
        QVERIFY(rig.refreshed());
        QCOMPARE(tags.size(), 0);
        QCOMPARE(library.tagCatalog().size(), 1);
        QVERIFY(!library.manifestError());
    }

    void missingCatalogueDownloadsAreForgotten()
    {
        LibraryRig rig;
        rig.addLocalItem("abc1234");
        rig.addFolder(hexId(2), "content.mov");
        rig.writeCache(records({1, 2}));
        const QUuid unknown = QUuid::createUuid();
        rig.settings.set(SettingsKey::downloads,
                         PlistValue(PlistValue::Array{uuidText(uuidFromHexID(hexId(1))), uuidText(uuidFromHexID(hexId(2))),
                                                      uuidText(unknown)}));
        rig.catalogue.discover.autoAnswer = discover(records({1, 2}));
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{});
        WallpaperManager& library = rig.start();
        QVERIFY(rig.refreshed());

        const QSet<QUuid> expected{uuidFromHexID(hexId(2)), uuidFromHexID("abc1234"), unknown};
        QCOMPARE(library.downloaded(), expected);
        QCOMPARE(rig.settings.uuidSet(SettingsKey::downloads), expected);
    }

    void categoriesLoadOncePerRun()
    {
        LibraryRig rig;
        rig.catalogue.discover.autoAnswer = discover({});
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{});
        WallpaperManager& library = rig.start();
        QVERIFY(rig.refreshed());

        CategoryWallpaperModel* page = library.categoryModel(WallpaperCategory::tvShows);
        QAbstractItemModelTester tester(page, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(library.loadCategory(WallpaperCategory::tvShows).isEmpty()); // asked again before the load runs
        QVERIFY(QTest::qWaitFor([&] { return rig.catalogue.category.pendingCount() == 1; }));
        QVERIFY(page->loading());
        library.loadCategory(WallpaperCategory::tvShows); // while loading
        QCoreApplication::processEvents();
        QCOMPARE(rig.catalogue.categoryKeys, QStringList{"tvShows"});

        QList<APIWallpaper> shows = records({5, 6});
        for (APIWallpaper& record : shows)
            record.category.name = "TV Shows";
        QSignalSpy loaded(&library, &WallpaperManager::categoryLoaded);
        rig.catalogue.category.answer(Result<QList<APIWallpaper>>(shows));
        QTRY_COMPARE(loaded.size(), 1);
        QVERIFY(!page->loading());
        QCOMPARE(page->rowCount(), 2);
        QCOMPARE(hexIDs(library.loadCategory(WallpaperCategory::tvShows)), (QStringList{hexId(5), hexId(6)}));
        QVERIFY(library.serverKnownIDs().contains(uuidFromHexID(hexId(5))));
        QCoreApplication::processEvents();
        QCOMPARE(rig.catalogue.category.requests, 1);
    }

    // Short lists are taken in on the main thread, long ones are worked out on
    // the pool and swapped in; either way every listed id is known and kept.
    void listedIdsAreKnownWhateverTheListLength_data()
    {
        QTest::addColumn<int>("rowLength");
        QTest::addColumn<int>("pageLength");
        QTest::newRow("short lists") << 3 << 4;
        QTest::newRow("long lists") << 1500 << 1200;
    }

    void listedIdsAreKnownWhateverTheListLength()
    {
        QFETCH(int, rowLength);
        QFETCH(int, pageLength);
        LibraryRig rig;
        // The page overlaps the end of the trending row.
        rig.catalogue.discover.autoAnswer = discover(recordRange(1, 2), {}, recordRange(1, rowLength));
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{});
        WallpaperManager& library = rig.start();
        QVERIFY(rig.refreshed());
        QCOMPARE(library.serverKnownIDs().size(), rowLength);

        QList<APIWallpaper> page = recordRange(rowLength - 1, rowLength + pageLength - 2);
        for (APIWallpaper& record : page)
            record.category.name = "Nature";
        QSignalSpy loaded(&library, &WallpaperManager::categoryLoaded);
        library.loadCategory(WallpaperCategory::nature);
        QVERIFY(QTest::qWaitFor([&] { return rig.catalogue.category.pendingCount() == 1; }));
        rig.catalogue.category.answer(Result<QList<APIWallpaper>>(page));
        QTRY_COMPARE(loaded.size(), 1);

        const int known = rowLength + pageLength - 2;
        QCOMPARE(library.serverKnownIDs().size(), known);
        QCOMPARE(library.allWallpaperList().size(), known);
        for (int n : {1, rowLength, known})
            QVERIFY2(library.serverKnownIDs().contains(uuidFromHexID(hexId(n))), qPrintable(hexId(n)));
        QVERIFY(QTest::qWaitFor([&] { return rig.cachedIds().size() == known; }));
    }

    void aFailedCategoryCountsAsLoaded()
    {
        LibraryRig rig;
        rig.catalogue.category.autoAnswer = Result<QList<APIWallpaper>>(APIError::httpError(500));
        WallpaperManager& library = rig.start();
        LogCapture log;
        QSignalSpy loaded(&library, &WallpaperManager::categoryLoaded);
        library.loadCategory(WallpaperCategory::cinematic);
        QTRY_COMPARE(loaded.size(), 1);
        QCOMPARE(log.lines(), QStringList{"Lanto: Failed to load category cinematic — HTTP error 500"});
        QVERIFY(library.loadedCategories().contains("cinematic"));
        library.loadCategory(WallpaperCategory::cinematic);
        QCoreApplication::processEvents();
        QCOMPARE(rig.catalogue.category.requests, 1);
    }

    void childTagsComeBySortOrder()
    {
        LibraryRig rig;
        rig.catalogue.discover.autoAnswer = discover({});
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups
            {{"a", {tag("z", 2, "p"), tag("y", 1, "p"), tag("p", 0, std::nullopt)}},
             {"b", {tag("x", 1, "p"), tag("w", 0, "q"), tag("z", 0, "p")}}});
        WallpaperManager& library = rig.start();
        QVERIFY(rig.refreshed());
        QStringList order;
        for (const APITag& child : library.childTags("p"))
            order.append(child.id);
        // "z" was stored last with sort order 0; equal orders come by id.
        QCOMPARE(order, (QStringList{"z", "x", "y"}));
        QVERIFY(library.childTags("none").isEmpty());
    }

    void theCatalogueIsRefreshedEveryFiveMinutes()
    {
        LibraryRig rig;
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{});
        rig.start();
        QVERIFY(QTest::qWaitFor([&] { return rig.catalogue.discover.requests == 1; }));
        rig.scheduler.advance(299s);
        QCOMPARE(rig.catalogue.discover.requests, 1);
        rig.scheduler.advance(1s);
        QCOMPARE(rig.catalogue.discover.requests, 2);
        // The loop waits for its refresh before it sleeps again.
        rig.scheduler.advance(600s);
        QCOMPARE(rig.catalogue.discover.requests, 2);
        rig.catalogue.discover.answer(discover({}));
        rig.catalogue.discover.answer(discover({}));
        QTRY_COMPARE(rig.scheduler.pendingCount(), 1); // the loop's next pass
        rig.scheduler.advance(299s);
        QCOMPARE(rig.catalogue.discover.requests, 2);
        rig.scheduler.advance(1s);
        QCOMPARE(rig.catalogue.discover.requests, 3);
    }

    void thumbnailsArePrefetchedAFewAtATime()
    {
        LibraryRig rig;
        rig.thumbnails.answerAtOnce = false;
        rig.catalogue.discover.autoAnswer = discover(records({1, 2, 3, 4, 5, 6, 7, 8}), records({1}));
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{});
        WallpaperManager& library = rig.start();
        QVERIFY(QTest::qWaitFor([&] { return rig.thumbnails.inFlight() > 0; }));
        while (rig.thumbnails.inFlight() > 0) {
            QVERIFY(library.isLoadingManifest());
            rig.thumbnails.finishOldest();
            QCoreApplication::processEvents();
        }
        QVERIFY(rig.refreshed());
        QCOMPARE(rig.thumbnails.requested.size(), 8);
        QCOMPARE(rig.thumbnails.maxInFlight, ThumbnailPrefetcher::defaultMaxInFlight);
    }

    void ownershipComparesProfileIds()
    {
        LibraryRig rig;
        WallpaperManager& library = rig.start();
        Wallpaper w;
        LogCapture log;
        QVERIFY(!library.isOwnedByCurrentUser(w));
        QCOMPARE(log.lines(), QStringList{"Lanto: isOwnedByCurrentUser — myProfileId=nil, creatorProfileId=nil"});
        rig.account.account.profileId = "p1";
        w.edit().creator.serverProfileId = "p2";
        QVERIFY(!library.isOwnedByCurrentUser(w));
        w.edit().creator.serverProfileId = "p1";
        QVERIFY(library.isOwnedByCurrentUser(w));
    }

    void anImportJoinsTheLibraryAndSurvivesARestart()
    {
        LibraryRig rig;
        rig.catalogue.discover.autoAnswer = discover({});
        rig.catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups{});
        WallpaperManager& library = rig.start();
        QVERIFY(rig.refreshed());
        rig.addFolder("abc1234", "Holiday.mov");
        LocalWallpaperMeta meta;
        meta.hexID = "abc1234";
        meta.title = "Holiday";
        meta.category = "Space";
        meta.type = "video";
        const Wallpaper imported = LocalLibrary::wallpaperFrom(meta, {});
        const QString content = rig.downloads() + "/abc1234/Holiday.mov";
        QSignalSpy downloadedChanged(&library, &WallpaperManager::downloadedChanged);
        library.addImportedWallpaper(imported, content, std::nullopt);

        QCOMPARE(hexIDs(library.allWallpaperList().items()), QStringList{"abc1234"});
        QCOMPARE(downloadedChanged.count(), 1);
        QCOMPARE(rig.settings.uuidSet(SettingsKey::downloads), QSet<QUuid>{imported.id});
        // The download service can hand out the content at once, without a new scan.
        QCOMPARE(rig.cloud.localContentURL("abc1234"), std::optional(QUrl::fromLocalFile(content)));
        QVERIFY(library.hasLocalMetadata(imported));

        rig.manager.reset();
        WallpaperManager& again = rig.start();
        QVERIFY(QTest::qWaitFor([&] { return again.isStarted(); }));
        QVERIFY(again.downloaded().contains(imported.id));
        const Wallpaper reloaded = again.allWallpaperList().items().first();
        QCOMPARE(reloaded.tags(), QStringList{"imported"});
        QCOMPARE(reloaded.category(), WallpaperCategory::space);
    }
};

QTEST_GUILESS_MAIN(TestWallpaperManager)
#include "tst_wallpapermanager.moc"
