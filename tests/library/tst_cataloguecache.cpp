#include "CatalogueCache.h"
#include "LibraryFakes.h"
#include "LogCapture.h"
#include "ProcessMemory.h"
#include "TemporaryHome.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QList<APIWallpaper> onFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return CatalogueCache::decode(file.readAll()).value_or(QList<APIWallpaper>{});
}

QStringList idsOf(const QList<APIWallpaper>& records)
{
    QStringList ids;
    for (const APIWallpaper& record : records)
        ids.append(record.id);
    return ids;
}

template <typename T>
T awaited(QFuture<T> future)
{
    future.waitForFinished();
    return future.result();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestCatalogueCache : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_path = m_home->filePath("wallpaper-cache.json");
    }

    void savingKeepsOneRecordPerIdAtItsFirstPosition()
    {
        CatalogueCache cache(m_path);
        cache.save({catalogueRecord(hexId(1)), catalogueRecord(hexId(2)), catalogueRecord(hexId(3))}).waitForFinished();
        APIWallpaper newer = catalogueRecord(hexId(2));
        newer.title = "Newer";
        APIWallpaper newest = newer;
        newest.title = "Newest";
        cache.save({newer, catalogueRecord(hexId(4)), newest, catalogueRecord(hexId(1))}).waitForFinished();

        const QList<APIWallpaper> records = onFile(m_path);
        QCOMPARE(idsOf(records), (QStringList{hexId(1), hexId(2), hexId(3), hexId(4)}));
        QCOMPARE(records.at(1).title, QString("Newest"));
    }

    // The first batch into an empty cache is taken whole unless an id repeats in it.
    void aFirstBatchKeepsOneRecordPerId_data()
    {
        QTest::addColumn<QList<int>>("batch");
        QTest::addColumn<QList<int>>("kept");
        QTest::addColumn<int>("newerAt"); // where the record titled "Newer" ends up, or -1
        QTest::newRow("distinct ids") << QList<int>{1, 2, 3} << QList<int>{1, 2, 3} << -1;
        QTest::newRow("an id repeated") << QList<int>{1, 2, -1, 3} << QList<int>{1, 2, 3} << 0;
    }

    void aFirstBatchKeepsOneRecordPerId()
    {
        QFETCH(QList<int>, batch);
        QFETCH(QList<int>, kept);
        QFETCH(int, newerAt);
        QList<APIWallpaper> records;
        for (int n : batch) {
            // -1 stands for a newer record of the first id.
            APIWallpaper record = catalogueRecord(hexId(n < 0 ? batch.first() : n));
            if (n < 0)
                record.title = "Newer";
            records.append(record);
        }
        CatalogueCache cache(m_path);
        cache.save(records).waitForFinished();
        QStringList keptIds;
        for (int n : kept)
            keptIds.append(hexId(n));
        const QList<APIWallpaper> written = onFile(m_path);
        QCOMPARE(idsOf(written), keptIds);
        QCOMPARE(idsOf(awaited(cache.load())), keptIds);
        if (newerAt >= 0)
            QCOMPARE(written.at(newerAt).title, QString("Newer"));
    }

    void aFreshCacheContinuesTheFile()
    {
        CatalogueCache(m_path).save({catalogueRecord(hexId(1)), catalogueRecord(hexId(2))}).waitForFinished();
        CatalogueCache cache(m_path);
        QCOMPARE(idsOf(awaited(cache.load())), (QStringList{hexId(1), hexId(2)}));
        cache.save({catalogueRecord(hexId(3))}).waitForFinished();
        QCOMPARE(idsOf(onFile(m_path)), (QStringList{hexId(1), hexId(2), hexId(3)}));
    }

    void unreadableFilesAreIgnoredThenReplaced_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("not JSON") << QByteArray("[{\"id\":");
        QTest::newRow("an object") << QByteArray("{}");
        QTest::newRow("one element is not a record") << QByteArray(R"([{"id":"1"}])");
        QTest::newRow("empty array") << QByteArray("[]");
        QTest::newRow("empty file") << QByteArray("");
    }

    void unreadableFilesAreIgnoredThenReplaced()
    {
        QFETCH(QByteArray, contents);
        writeBytes(m_path, contents);
        CatalogueCache cache(m_path);
        QVERIFY(awaited(cache.load()).isEmpty());
        cache.save({catalogueRecord(hexId(7))}).waitForFinished();
        QCOMPARE(idsOf(onFile(m_path)), QStringList{hexId(7)});
    }

    void aMissingFileLoadsNothingAndWritesNothing()
    {
        CatalogueCache cache(m_path);
        QVERIFY(awaited(cache.load()).isEmpty());
        QCOMPARE(awaited(cache.prune({hexId(1)})), 0);
        QVERIFY(!QFile::exists(m_path));
    }

    void pruningRemovesTheIdsAndLogsHowMany()
    {
        CatalogueCache cache(m_path);
        cache.save({catalogueRecord(hexId(1)), catalogueRecord(hexId(2)), catalogueRecord(hexId(3))});
        LogCapture log;
        QCOMPARE(awaited(cache.prune({hexId(1), hexId(3), hexId(9)})), 2);
        QCOMPARE(idsOf(onFile(m_path)), QStringList{hexId(2)});
        QVERIFY(log.contains("Lanto: Pruned 2 stale wallpapers from cache"));

        const QDateTime written = QFileInfo(m_path).lastModified();
        log.clear();
        QCOMPARE(awaited(cache.prune({hexId(9)})), 0);
        QVERIFY(log.lines().isEmpty());
        QCOMPARE(QFileInfo(m_path).lastModified(), written);
    }

    void aFailedWriteIsLogged()
    {
        const QString blocked = m_home->filePath("no-such-folder/wallpaper-cache.json");
        CatalogueCache cache(blocked);
        LogCapture log;
        cache.save({catalogueRecord(hexId(2))}).waitForFinished();
        QCOMPARE(log.lines().size(), 1);
        QVERIFY(log.lines().first().startsWith("Lanto: Failed to write wallpaper cache — "));
    }

    void destroyingTheCacheFinishesQueuedWrites()
    {
        {
            CatalogueCache cache(m_path);
            for (int i = 0; i < 20; ++i)
                cache.save({catalogueRecord(hexId(i))});
        }
        QCOMPARE(onFile(m_path).size(), 20);
    }

    void oversizedFilesAreNotRead()
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(CatalogueCache::maxFileBytes + 1));
        file.close();
        QVERIFY(awaited(CatalogueCache(m_path).load()).isEmpty());
    }

    // Millions of elements that are not records: refused without making room for them.
    void aFileOfNonRecordsIsRefusedInLittleMemory()
    {
        constexpr qsizetype size = 8 << 20;
        QByteArray junk = "[" + QByteArray("{},").repeated(size / 3) + "{}]";
        writeBytes(m_path, junk);
        junk.clear();
        LogCapture log;
        ProcessMemory::resetPeak();
        const qint64 before = ProcessMemory::residentKB();
        QVERIFY(awaited(CatalogueCache(m_path).load()).isEmpty());
        // The bytes and simdjson's index of them, a few times the file; a record
        // for each element would be 200 times it.
        const qint64 grownKB = ProcessMemory::peakKB() - before;
        QVERIFY2(grownKB < 8 * size / 1024, qPrintable(QString::number(grownKB / 1024) + " MB"));
        QVERIFY(log.contains("Lanto: Ignoring wallpaper cache — not an array of catalogue records"));
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestCatalogueCache)
#include "tst_cataloguecache.moc"
