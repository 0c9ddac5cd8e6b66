#include "CreatorWallpapers.h"
#include "LantoAPIClient.h"
#include "LogCapture.h"
#include "ProfileFixtures.h"

#include <QAbstractItemModelTester>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

// The creator page's list: every page fetched, then searched and sorted.
class CreatorWallpapersTest : public QObject
{
    Q_OBJECT

    static Creator creatorWithProfile(const std::optional<QString>& profileId)
    {
        Creator creator;
        creator.id = QUuid::createUuid();
        creator.name = "Mika";
        creator.serverProfileId = profileId;
        return creator;
    }

    static Wallpaper item(const QString& title, WallpaperCategory category = WallpaperCategory::nature,
        qint64 downloads = 0, QStringList tags = {})
    {
        Wallpaper wallpaper;
        wallpaper.id = QUuid::createUuid();
        wallpaper.edit().title = title;
        wallpaper.edit().category = category;
        wallpaper.edit().downloadCount = downloads;
        wallpaper.edit().tags = tags;
        return wallpaper;
    }

    static QStringList titles(const QList<Wallpaper>& wallpapers)
    {
        QStringList list;
        for (const Wallpaper& wallpaper : wallpapers)
            list.append(wallpaper.title());
        return list;
    }

private slots:
    void fetchesEveryPage_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("shown");
        QTest::newRow("20, 20, 7") << QList<int> { 20, 20, 7 } << 3 << 47;
        QTest::newRow("exactly 20") << QList<int> { 20 } << 2 << 20;
        QTest::newRow("none") << QList<int> { 0 } << 1 << 0;
    }

    void fetchesEveryPage()
    {
        QFETCH(QList<int>, sizes);
        FakeWebService web;
        LantoAPIClient client(web.baseURL());
        servePages(web, "p1", sizes);
        CreatorWallpapers page(&client, nullptr);
        QAbstractItemModelTester tester(page.wallpapers(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(page.isLoading());
        page.setCreator(creatorWithProfile("p1"));
        QTRY_VERIFY(!page.isLoading());
        QTEST(web.requestCount(), "requests");
        QTEST(page.totalCount(), "shown");
        QTEST(int(page.list().size()), "shown");
        const QList<FakeRequest> requests = web.requests();
        for (int i = 0; i < requests.size(); ++i)
            QCOMPARE(requests.at(i).queryValue("page"), QString::number(i + 1));
    }

    void aFailedPageDropsThePagesBefore()
    {
        FakeWebService web;
        LantoAPIClient client(web.baseURL());
        web.once("GET", "profiles/p1/wallpapers", profilePage(1, 20));
        web.on("GET", "profiles/p1/wallpapers", FakeReply::failure("Profile gone", 404));
        LogCapture log;
        CreatorWallpapers page(&client, nullptr);
        page.setCreator(creatorWithProfile("p1"));
        QTRY_VERIFY(!page.isLoading());
        QCOMPARE(page.totalCount(), 0);
        QCOMPARE(log.lines(), QStringList { "Lanto: Failed to fetch creator wallpapers: HTTP error 404" });
    }

    void aCreatorWithoutProfileAsksNothing()
    {
        FakeWebService web;
        LantoAPIClient client(web.baseURL());
        CreatorWallpapers page(&client, nullptr);
        page.setCreator(creatorWithProfile(std::nullopt));
        QVERIFY(!page.isLoading());
        QCOMPARE(web.requestCount(), 0);
    }

    void aClosedPageTakesNoAnswer()
    {
        FakeWebService web;
        LantoAPIClient client(web.baseURL());
        web.on("GET", "profiles/p1/wallpapers", profilePage(1, 20).after(200ms));
        auto page = std::make_unique<CreatorWallpapers>(&client, nullptr);
        page->setCreator(creatorWithProfile("p1"));
        QTRY_COMPARE(web.openRequests(), 1);
        page.reset();
        // The answer arrives with nobody to take it, and no next page is asked for.
        QTRY_COMPARE(web.openRequests(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(web.requestCount(), 1);
    }

    void searchesAndSorts_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("option");
        QTest::addColumn<QStringList>("expected");
        using Sort = CreatorWallpapers::SortOption;
        QTest::newRow("A–Z ignores case") << "" << int(Sort::alphabetical)
                                          << QStringList { "apple", "Banana", "cherry", "Night Anime", "tags" };
        QTest::newRow("popular keeps ties in order")
            << "" << int(Sort::popular) << QStringList { "Night Anime", "cherry", "Banana", "apple", "tags" };
        QTest::newRow("anime in title or category, trimmed")
            << "  ANIME\t" << int(Sort::newest) << QStringList { "Banana", "Night Anime" };
        QTest::newRow("tag") << "ocean" << int(Sort::newest) << QStringList { "tags" };
        QTest::newRow("creator name is not searched") << "mika" << int(Sort::newest) << QStringList {};
    }

    void searchesAndSorts()
    {
        QFETCH(QString, search);
        QFETCH(int, option);
        const QList<Wallpaper> fetched { item("cherry", WallpaperCategory::nature, 5),
            item("Banana", WallpaperCategory::anime, 3), item("Night Anime", WallpaperCategory::space, 9),
            item("apple", WallpaperCategory::nature, 3), item("tags", WallpaperCategory::nature, 0, { "deep-ocean" }) };
        QTEST(titles(CreatorWallpapers::filteredAndSorted(fetched, search, CreatorWallpapers::SortOption(option))),
            "expected");
    }

    void namesTheSortOptions()
    {
        QCOMPARE(CreatorWallpapers::sortOptionNames(), (QStringList { "Newest", "Most Popular", "A\u2013Z" }));
    }
};

QTEST_GUILESS_MAIN(CreatorWallpapersTest)
#include "tst_creatorwallpapers.moc"
