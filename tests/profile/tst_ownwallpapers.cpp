#include "LibraryRig.h"
#include "OwnWallpapers.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

// The My Wallpapers grid: own items only, in library order, by filter chip.
class OwnWallpapersTest : public QObject
{
    Q_OBJECT

    static QStringList shown(const OwnWallpapers& own) { return hexIDs(own.list().items()); }

private slots:
    void filters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("All") << "All" << QStringList { "a1", "a2", "a3", "a5", "a6" };
        QTest::newRow("Public") << "Public" << QStringList { "a2" };
        QTest::newRow("Local") << "Local" << QStringList { "a1" };
    }

    void filters()
    {
        QFETCH(QString, filter);
        LibraryRig rig;
        rig.addLocalItem("a1");
        rig.addLocalItem("a2", QStringLiteral("approved"));
        rig.addLocalItem("a3", QStringLiteral("pending"));
        // ("uploading" is cleared by the library at start: a run that was cut off.)
        rig.addLocalItem("a5", QStringLiteral("rejected"));
        rig.addLocalItem("a6", QStringLiteral("Approved"));
        rig.addFolder("c1", "content.mov"); // downloaded only, no metadata
        WallpaperManager& manager = rig.start();
        QTRY_VERIFY(manager.isStarted());
        OwnWallpapers own(&manager, nullptr);
        QAbstractItemModelTester tester(own.wallpapers(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        own.setFilterName(filter);
        QCOMPARE(own.filterName(), filter);
        QStringList ids = shown(own);
        ids.sort(); // the order is checked below
        QTEST(ids, "expected");
        QVERIFY(own.hasAny());
    }

    void keepsLibraryOrderAndFollowsTheLibrary()
    {
        LibraryRig rig;
        WallpaperManager& manager = rig.start();
        QTRY_VERIFY(manager.isStarted());
        OwnWallpapers own(&manager, nullptr);
        QSignalSpy hasAny(&own, &OwnWallpapers::hasAnyChanged);
        QVERIFY(!own.hasAny());

        rig.addLocalItem("b2");
        manager.addImportedWallpaper(localItem("b2"), rig.downloads() + "/b2/content.mov", std::nullopt);
        manager.mergeIntoLibrary({ catalogueItem(1) });
        rig.addLocalItem("b1");
        manager.addImportedWallpaper(localItem("b1"), rig.downloads() + "/b1/content.mov", std::nullopt);
        QTRY_COMPARE(shown(own), (QStringList { "b2", "b1" }));
        QCOMPARE(hasAny.count(), 1);
        QCOMPARE(own.wallpapers()->count(), 2);
    }

    void ignoresUnknownFilterNames()
    {
        LibraryRig rig;
        OwnWallpapers own(&rig.start(), nullptr);
        own.setFilterName("Local");
        own.setFilterName("public");
        QCOMPARE(own.filterName(), QString("Local"));
        QCOMPARE(OwnWallpapers::filterNames(), (QStringList { "All", "Public", "Local" }));
    }
};

QTEST_GUILESS_MAIN(OwnWallpapersTest)
#include "tst_ownwallpapers.moc"
