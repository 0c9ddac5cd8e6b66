#include "BrowseRig.h"
#include "CategoryBrowserModel.h"

#include <QAbstractItemModelTester>
#include <QtTest>

class TestCategoryBrowserModel : public QObject
{
    Q_OBJECT

    static QList<APITag> tags()
    {
        return {catalogueTag("show", "series"), catalogueTag("hero", "character", "show"),
                catalogueTag("lonely", "series"), catalogueTag("rain", "theme")};
    }

private slots:
    void filtersByTag_data()
    {
        QTest::addColumn<QString>("tagId");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("none") << QString() << QStringList{"A", "B", "C", "D"};
        QTest::newRow("unknown to the catalogue") << "gone" << QStringList{"A", "B", "C", "D"};
        QTest::newRow("series with its characters") << "show" << QStringList{"A", "B"};
        QTest::newRow("series without characters") << "lonely" << QStringList{"C"};
        QTest::newRow("character alone") << "hero" << QStringList{"B"};
        QTest::newRow("theme") << "rain" << QStringList{"D"};
    }
    void filtersByTag()
    {
        QFETCH(QString, tagId);
        QFETCH(QStringList, shown);
        BrowseRig rig(tags());
        rig.add({Item{1, "A", {"show"}}, Item{2, "B", {"hero"}}, Item{3, "C", {"lonely", "x"}},
                 Item{4, "D", {"rain"}}, Item{5, "E", {"rain"}, 0, {}, {}, WallpaperCategory::space}});
        CategoryBrowserModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setManager(rig.manager.get());
        model.setCategory("Nature");
        model.setSelectedTagId(tagId);
        QCOMPARE(titles(model), shown);
    }

    void anEmptyCatalogueFiltersNothing()
    {
        BrowseRig rig;
        rig.add({Item{1, "A", {"show"}}, Item{2, "B"}});
        CategoryBrowserModel model;
        model.setManager(rig.manager.get());
        model.setCategory("Nature");
        model.setSelectedTagId("show");
        QCOMPARE(model.count(), 2);
    }

    void keepsOnlyUltraWide()
    {
        BrowseRig rig;
        rig.add({Item{1, "wide", {}, 0, QSize(5120, 2160)}, Item{2, "normal", {}, 0, QSize(3840, 2160)},
                 Item{3, "exactly two", {}, 0, QSize(4000, 2000)}, Item{4, "flat", {}, 0, QSize(4000, 0)}});
        CategoryBrowserModel model;
        model.setManager(rig.manager.get());
        model.setCategory("Nature");
        model.setFilterUltraWide(true);
        QCOMPARE(titles(model), (QStringList{"wide", "exactly two"}));
    }

    void searches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("only spaces") << "  \t " << QStringList{"Café Night", "Forest", "Ocean"};
        QTest::newRow("trimmed, any case, no accents") << " CAFE " << QStringList{"Café Night"};
        QTest::newRow("creator") << "mira" << QStringList{"Forest"};
        QTest::newRow("tag") << "wav" << QStringList{"Ocean"};
        QTest::newRow("line breaks are not trimmed") << "forest\n" << QStringList{};
    }
    void searches()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        BrowseRig rig;
        rig.add({Item{1, "Café Night"}, Item{2, "Forest", {}, 0, {3840, 2160}, "Mira"}, Item{3, "Ocean", {"waves"}}});
        CategoryBrowserModel model;
        model.setManager(rig.manager.get());
        model.setCategory("Nature");
        model.setSearchText(text);
        QCOMPARE(titles(model), shown);
    }

    void sorts_data()
    {
        QTest::addColumn<CategoryBrowserModel::SortOrder>("order");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QStringList>("shown");
        // Library order is b, Zed, a, c; b and Zed have the same count, and the dates rise with it.
        QTest::newRow("popular") << CategoryBrowserModel::Popular << false << QStringList{"c", "b", "Zed", "a"};
        QTest::newRow("popular, ties keep library order") << CategoryBrowserModel::Popular << true
                                                           << QStringList{"a", "b", "Zed", "c"};
        QTest::newRow("newest") << CategoryBrowserModel::Newest << false << QStringList{"c", "a", "Zed", "b"};
        QTest::newRow("oldest") << CategoryBrowserModel::Newest << true << QStringList{"b", "Zed", "a", "c"};
        QTest::newRow("A-Z, capitals first") << CategoryBrowserModel::NameAZ << false << QStringList{"Zed", "a", "b", "c"};
        QTest::newRow("Z-A") << CategoryBrowserModel::NameAZ << true << QStringList{"c", "b", "a", "Zed"};
    }
    void sorts()
    {
        QFETCH(CategoryBrowserModel::SortOrder, order);
        QFETCH(bool, ascending);
        QFETCH(QStringList, shown);
        BrowseRig rig;
        rig.add({Item{1, "b", {}, 5}, Item{2, "Zed", {}, 5}, Item{3, "a", {}, 1}, Item{4, "c", {}, 9}});
        CategoryBrowserModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setManager(rig.manager.get());
        model.setCategory("Nature");
        model.setSortOrder(order);
        model.setSortAscending(ascending);
        QCOMPARE(titles(model), shown);
    }

    void followsTheLibraryAndLoadsTheCategoryOnce()
    {
        BrowseRig rig;
        CategoryBrowserModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setManager(rig.manager.get());
        model.setCategory("Space");
        QCOMPARE(model.count(), 0);
        QTRY_COMPARE(rig.catalogue.categoryKeys.size(), 1);

        // Arriving later, with equal counts: each lands after those before it.
        QSignalSpy counted(&model, &CategoryBrowserModel::countChanged);
        rig.add({Item{1, "first", {}, 3, {}, {}, WallpaperCategory::space}, Item{2, "other"}});
        rig.add({Item{3, "second", {}, 3, {}, {}, WallpaperCategory::space}});
        QCOMPARE(titles(model), (QStringList{"first", "second"}));
        QVERIFY(counted.count() >= 2);

        model.setCategory(QString());
        model.setCategory("Space");
        QTest::qWait(0);
        QCOMPARE(rig.catalogue.categoryKeys.size(), 1);
    }

    void closingPutsEveryFilterBack()
    {
        BrowseRig rig(tags());
        rig.add({Item{1, "A", {"rain"}, 0, QSize(5120, 2160)}, Item{2, "B"}});
        CategoryBrowserModel model;
        model.setManager(rig.manager.get());
        model.setCategory("Nature");
        model.setSelectedTagId("rain");
        model.setSortOrder(CategoryBrowserModel::NameAZ);
        model.setSortAscending(true);
        model.setSearchText("A");
        model.setFilterUltraWide(true);
        QCOMPARE(model.count(), 1);

        model.closeCategory();
        QCOMPARE(model.category(), QString());
        QCOMPARE(model.selectedTagId(), QString());
        QCOMPARE(model.sortOrder(), CategoryBrowserModel::Popular);
        QVERIFY(!model.sortAscending());
        QCOMPARE(model.searchText(), QString());
        QVERIFY(!model.filterUltraWide());
        QCOMPARE(model.count(), 0);
        QCOMPARE(model.sourceModel(), nullptr);
    }
};

QTEST_MAIN(TestCategoryBrowserModel)
#include "tst_categorybrowsermodel.moc"
