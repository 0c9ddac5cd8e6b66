#include "BrowseRig.h"
#include "DiscoverSearch.h"
#include "WallpaperCutModel.h"

#include <QAbstractItemModelTester>
#include <QStringListModel>
#include <QtTest>

class TestDiscoverSearch : public QObject
{
    Q_OBJECT

private slots:
    void searchesTheTrimmedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("searching");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("empty") << "" << false << QStringList{};
        QTest::newRow("spaces and tabs") << " \t " << false << QStringList{};
        QTest::newRow("word with spaces") << "  forest " << true << QStringList{"Forest"};
        QTest::newRow("category in any case") << "SPACE" << true << QStringList{"Stars", "Planets"};
        QTest::newRow("part of a category name") << "spa" << true << QStringList{};
        QTest::newRow("no match") << "zzz" << true << QStringList{};
    }
    void searchesTheTrimmedText()
    {
        QFETCH(QString, text);
        QFETCH(bool, searching);
        QFETCH(QStringList, found);
        BrowseRig rig;
        rig.add({Item{1, "Forest"}, Item{2, "Stars", {}, 0, {}, {}, WallpaperCategory::space},
                 Item{3, "Planets", {}, 0, {}, {}, WallpaperCategory::space}});
        DiscoverSearch search;
        search.setManager(rig.manager.get());
        search.setText(text);
        QCOMPARE(search.isSearching(), searching);
        QCOMPARE(titles(*search.results()), found);
    }

    void followsTheLibraryButNeverOwnItems()
    {
        BrowseRig rig;
        DiscoverSearch search;
        QAbstractItemModelTester tester(search.results(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        search.setManager(rig.manager.get());
        QSignalSpy searching(&search, &DiscoverSearch::isSearchingChanged);
        search.setText("forest");
        QCOMPARE(searching.count(), 1);
        QCOMPARE(search.results()->count(), 0);

        rig.addLocalItem(hexId(9));
        rig.add({Item{1, "Forest"}, Item{9, "Forest of mine"}});
        QCOMPARE(titles(*search.results()), QStringList{"Forest"});

        search.setText("forest ");
        QCOMPARE(searching.count(), 1);
        search.setText("");
        QCOMPARE(searching.count(), 2);
        QCOMPARE(search.results()->count(), 0);
    }

    void cutsARowToItsHead()
    {
        QStringListModel list({"a", "b", "c"});
        WallpaperCutModel cut;
        QAbstractItemModelTester tester(&cut, QAbstractItemModelTester::FailureReportingMode::QtTest);
        cut.setSource(&list);
        QCOMPARE(cut.count(), 3);
        cut.setLimit(2);
        const auto shown = [&cut] {
            QStringList texts;
            for (int row = 0; row < cut.rowCount(); ++row)
                texts.append(cut.index(row, 0).data().toString());
            return texts;
        };
        QCOMPARE(shown(), (QStringList{"a", "b"}));
        cut.setLimit(8);
        QCOMPARE(cut.count(), 3);
        cut.setLimit(2);
        // Rows coming or going ahead of the cut move others across it.
        list.removeRows(0, 1);
        QCOMPARE(shown(), (QStringList{"b", "c"}));
        list.insertRows(0, 1);
        list.setData(list.index(0), "new");
        QCOMPARE(shown(), (QStringList{"new", "b"}));
    }
};

QTEST_MAIN(TestDiscoverSearch)
#include "tst_discoversearch.moc"
