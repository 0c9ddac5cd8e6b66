#include "CatalogueCache.h"
#include "CatalogueSamples.h"
#include "TemporaryHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

// The cache file stays readable both ways between this program and older
// ones: the fixture was written by the first cache writer, which read and
// wrote the file with QJsonDocument.
namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How the first cache reader read a file.
std::optional<QList<APIWallpaper>> readByOldReader(const QByteArray& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray())
        return std::nullopt;
    QList<APIWallpaper> records;
    for (const QJsonValue& element : document.array()) {
        std::optional<APIWallpaper> record = APIWallpaper::fromJson(element.toObject());
        if (!record)
            return std::nullopt;
        records.append(*record);
    }
    return records;
}

template <typename T>
T awaited(QFuture<T> future)
{
    future.waitForFinished();
    return future.result();
}

} // namespace

class TestCatalogueCacheFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_path = m_home->filePath("wallpaper-cache.json");
        m_fixture = QFINDTESTDATA("fixtures/wallpaper-cache-v1.json");
        QVERIFY(!m_fixture.isEmpty());
    }

    void aFileWrittenBeforeIsReadUnchanged()
    {
        QVERIFY(QFile::copy(m_fixture, m_path));
        QCOMPARE(awaited(CatalogueCache(m_path).load()), catalogueSamples());
        QCOMPARE(CatalogueCache::decode(contentsOf(m_fixture)), std::optional(catalogueSamples()));
    }

    void theSameRecordsAreWrittenByteForByteAsBefore()
    {
        CatalogueCache(m_path).save(catalogueSamples()).waitForFinished();
        QCOMPARE(contentsOf(m_path), contentsOf(m_fixture));
    }

    void aMergedFileReadsBackThroughTheOldReader()
    {
        QVERIFY(QFile::copy(m_fixture, m_path));
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        APIWallpaper changed = catalogueSamples().at(1);
        changed.title = QStringLiteral("Changed \u00e9");
        changed.trendCount = 3;
        APIWallpaper added = catalogueSamples().at(0);
        added.id = QStringLiteral("0a0b0c0d0e0f");
        CatalogueCache(m_path).save({changed, added}).waitForFinished();

        QList<APIWallpaper> expected = catalogueSamples();
        expected[1] = changed;
        expected.append(added);
        QCOMPARE(readByOldReader(contentsOf(m_path)), std::optional(expected));
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
    QString m_path;
    QString m_fixture;
};

QTEST_GUILESS_MAIN(TestCatalogueCacheFile)
#include "tst_cataloguecachefile.moc"
