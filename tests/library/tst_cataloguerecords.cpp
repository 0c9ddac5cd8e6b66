#include "AwaitFuture.h"
#include "CatalogueRecords.h"
#include "LibraryRig.h"

#include <QTest>

namespace {

QList<APIWallpaper> records(int first, int count)
{
    QList<APIWallpaper> list;
    for (int n = first; n < first + count; ++n)
        list.append(catalogueRecord(hexId(n)));
    return list;
}

// The service's ids, which the library takes as hex ids.
QStringList ids(const QList<APIWallpaper>& list)
{
    QStringList result;
    for (const APIWallpaper& record : list)
        result.append(record.id);
    return result;
}

} // namespace

class TestCatalogueRecords : public QObject
{
    Q_OBJECT

private slots:
    // Each row gets back exactly its own records, whatever the sizes of its neighbours.
    void preparedRowsAreCutApartAsJoined_data()
    {
        QTest::addColumn<QList<int>>("sizes"); // featured, today's picks, trending, new this week, free (-1: absent)
        QTest::newRow("all filled") << QList<int> { 2, 3, 1, 2, 2 };
        QTest::newRow("empty rows between") << QList<int> { 0, 2, 0, 3, 0 };
        QTest::newRow("no free row") << QList<int> { 1, 1, 1, 1, -1 };
        QTest::newRow("nothing") << QList<int> { 0, 0, 0, 0, -1 };
        // Rows that span several of the chunks converted apart on the pool.
        QTest::newRow("rows across chunks") << QList<int> { 1500, 0, 2049, 1, 1023 };
    }

    void preparedRowsAreCutApartAsJoined()
    {
        QFETCH(QList<int>, sizes);
        QList<QList<APIWallpaper>> rows;
        int next = 1;
        for (int size : sizes) {
            rows.append(records(next, qMax(size, 0)));
            next += qMax(size, 0);
        }
        const DiscoverResponse discover { rows[0], rows[1], rows[2], rows[3],
            sizes[4] < 0 ? std::nullopt : std::optional(rows[4]) };

        const auto result = awaitFuture(CatalogueRecords::prepareRows(discover));
        QVERIFY(result);
        const CatalogueRecords::PreparedRows& prepared = *result;

        QStringList joined;
        for (qsizetype i = 0; i < qsizetype(CatalogueRecords::discoverRowOrder.size()); ++i) {
            const DiscoverRow row = CatalogueRecords::discoverRowOrder[size_t(i)];
            QCOMPARE(hexIDs(prepared.rows.at(row)), ids(rows[i]));
            joined += ids(rows[i]);
        }
        QCOMPARE(ids(prepared.records), joined);
        QCOMPARE(hexIDs(prepared.joined), joined);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueRecords)
#include "tst_cataloguerecords.moc"
