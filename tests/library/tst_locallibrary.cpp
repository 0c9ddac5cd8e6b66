#include "LocalLibrary.h"
#include "LocalWallpaperMeta.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestLocalLibrary : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_downloads = m_home->filePath("Downloads");
        QDir().mkpath(m_downloads);
    }

    void metadataReadsRequiredAndOptionalKeys_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("reads");
        const QByteArray base = R"("hexID":"abc1234","title":"Sea","category":"Nature","type":"video",)"
                                R"("resolutionWidth":3840,"resolutionHeight":2160,"fileSize":12)";
        QTest::newRow("required only") << "{" + base + "}" << true;
        QTest::newRow("optional keys and older submittedAt")
            << "{" + base + R"(,"submissionStatus":"pending","submittedAt":"x","localizedTitles":{"de":"Meer"}})" << true;
        QTest::newRow("null optional") << "{" + base + R"(,"serverWallpaperId":null})" << true;
        QTest::newRow("missing required") << QByteArray(R"({"hexID":"abc1234","title":"Sea"})") << false;
        QTest::newRow("width with a fraction") << "{" + QByteArray(base).replace("3840", "3840.5") + "}" << false;
        QTest::newRow("optional of wrong type") << "{" + base + R"(,"submissionStatus":4})" << false;
        QTest::newRow("not an object") << QByteArray("[1]") << false;
        QTest::newRow("not JSON") << QByteArray("{") << false;
        QTest::newRow("escaped lone surrogate in a text")
            << "{" + QByteArray(base).replace("Sea", "S\\udc00ea") + "}" << false;
    }

    void metadataReadsRequiredAndOptionalKeys()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, reads);
        QCOMPARE(LocalWallpaperMeta::fromJson(json).has_value(), reads);
    }

    void metadataIsWrittenInFieldOrderWithoutAbsentKeys()
    {
        LocalWallpaperMeta record = meta("abc1234", "Sea", "Digital Art", "image");
        record.resolutionWidth = 100;
        record.resolutionHeight = 50;
        record.fileSize = 9;
        record.submissionStatus = "pending";
        QCOMPARE(record.toJson(), QByteArray(R"({"hexID":"abc1234","title":"Sea","category":"Digital Art",)"
                                           R"("type":"image","resolutionWidth":100,"resolutionHeight":50,)"
                                           R"("fileSize":9,"submissionStatus":"pending"})"));
        QCOMPARE(LocalWallpaperMeta::fromJson(record.toJson()), std::optional(record));

        // Every character comes back, a leading U+FEFF included.
        record.title = QString(2, QChar(0xFEFF)) + u"Sea"_s;
        QCOMPARE(LocalWallpaperMeta::fromJson(record.toJson()), std::optional(record));
    }

    void scanBuildsLocalItems_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("type");
        QTest::addColumn<WallpaperCategory>("expectedCategory");
        QTest::addColumn<WallpaperType>("expectedType");
        QTest::newRow("exact name") << "Sci-Fi" << "video" << WallpaperCategory::sciFi << WallpaperType::video;
        QTest::newRow("other case falls back") << "digital art" << "video" << WallpaperCategory::digitalArt
                                               << WallpaperType::video;
        QTest::newRow("TV Shows by name") << "TV Shows" << "image" << WallpaperCategory::tvShows
                                          << WallpaperType::image;
        QTest::newRow("case name is not a name") << "tvShows" << "image" << WallpaperCategory::digitalArt
                                                 << WallpaperType::image;
        QTest::newRow("capital Video is an image") << "Nature" << "Video" << WallpaperCategory::nature
                                                   << WallpaperType::image;
    }

    void scanBuildsLocalItems()
    {
        QFETCH(QString, category);
        QFETCH(QString, type);
        LocalWallpaperMeta record = meta("abc1234", "Sea", category, type);
        record.resolutionWidth = 3440;
        record.resolutionHeight = 1440;
        record.submissionStatus = "approved";
        record.serverWallpaperId = "srv1";
        writeFolder("abc1234", record.toJson());

        const QList<Wallpaper> items = LocalLibrary(m_downloads).scan([] { return SignedInAccount{}; });
        QCOMPARE(items.size(), 1);
        const Wallpaper& w = items.first();
        QTEST(w.category(), "expectedCategory");
        QTEST(w.wallpaperType(), "expectedType");
        QCOMPARE(w.hexID(), QString("abc1234"));
        QCOMPARE(w.cloudID(), std::optional<QString>("abc1234"));
        QCOMPARE(w.resolution(), QSizeF(3440, 1440));
        QCOMPARE(w.tags(), QStringList{"imported"});
        QCOMPARE(w.previewColors(), (QList<QColor>{QColor(0x66, 0x44, 0xCC), QColor(0x44, 0x66, 0xCC)}));
        QCOMPARE(w.submissionStatus(), std::optional<QString>("approved"));
        QCOMPARE(w.serverWallpaperId(), std::optional<QString>("srv1"));
        QVERIFY(!w.remoteThumbnailURL());
    }

    void scanCreditsTheAccount()
    {
        writeFolder("abc1234", meta("abc1234", "Sea", "Nature", "video").toJson());
        LocalLibrary library(m_downloads);

        const auto signedOut = library.scan([] { return SignedInAccount{}; });
        QCOMPARE(signedOut.first().creator().name, QString("You"));
        QVERIFY(!signedOut.first().creator().serverProfileId);
        QVERIFY(signedOut.first().creator().id != library.scan([] { return SignedInAccount{}; }).first().creator().id);

        const QString profile = "00112233-4455-6677-8899-AABBCCDDEEFF";
        const auto signedIn = library.scan([&] { return SignedInAccount{profile, "Ann", "https://a/b.png"}; });
        QCOMPARE(signedIn.first().creator().name, QString("Ann"));
        QCOMPARE(signedIn.first().creator().id, QUuid(profile));
        QCOMPARE(signedIn.first().creator().serverProfileId, std::optional(profile));
    }

    void scanSkipsWhatIsNotALocalItem()
    {
        const LocalWallpaperMeta good = meta("good123", "Good", "Nature", "video");
        writeFolder("good123", good.toJson());
        writeFolder("broken1", "{not json");
        writeFolder("nometa1", {});
        writeFolder("escape1", meta("../../x", "Bad", "Nature", "video").toJson());
        QFile plain(m_downloads + "/plain.json");
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write(good.toJson());
        plain.close();

        const QList<Wallpaper> items = LocalLibrary(m_downloads).scan([] { return SignedInAccount{}; });
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().hexID(), QString("good123"));
        QVERIFY(LocalLibrary(m_home->filePath("missing")).scan([] { return SignedInAccount{}; }).isEmpty());
    }

    void rewritingMetadataDropsSubmittedAt()
    {
        writeFolder("abc1234", R"({"hexID":"abc1234","title":"Sea","category":"Nature","type":"video",)"
                               R"("resolutionWidth":10,"resolutionHeight":5,"fileSize":1,"submittedAt":"then"})");
        LocalLibrary library(m_downloads);
        Wallpaper w = library.scan([] { return SignedInAccount{}; }).first();
        QVERIFY(library.hasLocalMetadata(w));
        w.edit().title = "Renamed";
        w.edit().resolution = QSizeF(10.9, 5.2);
        library.writeMetadata(w);

        const QJsonObject written = QJsonDocument::fromJson(readFile("abc1234/metadata.json")).object();
        QCOMPARE(written.value("title").toString(), QString("Renamed"));
        QCOMPARE(written.value("resolutionWidth").toInteger(), 10);
        QVERIFY(!written.contains("submittedAt"));
    }

    void metadataIsNeverWrittenOutsideItsFolder()
    {
        LocalLibrary library(m_downloads);
        Wallpaper w;
        w.edit().title = "X";
        library.writeMetadata(w); // no cloud id
        w.edit().cloudID = w.edit().hexID = "..";
        library.writeMetadata(w);
        w.edit().cloudID = w.edit().hexID = "nofolder";
        library.writeMetadata(w); // the folder is not created here
        QVERIFY(!QFile::exists(m_home->filePath("metadata.json")));
        QVERIFY(!QFile::exists(m_downloads + "/nofolder"));
        QVERIFY(!library.hasLocalMetadata(w));
    }

private:
    static LocalWallpaperMeta meta(const QString& hexID, const QString& title, const QString& category,
                                   const QString& type)
    {
        LocalWallpaperMeta m;
        m.hexID = hexID;
        m.title = title;
        m.category = category;
        m.type = type;
        m.resolutionWidth = m.resolutionHeight = m.fileSize = 1;
        return m;
    }

    void writeFolder(const QString& name, const QByteArray& metadata)
    {
        QVERIFY(QDir().mkpath(m_downloads + "/" + name));
        if (metadata.isNull())
            return;
        QFile file(m_downloads + "/" + name + "/metadata.json");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(metadata);
    }

    QByteArray readFile(const QString& relative)
    {
        QFile file(m_downloads + "/" + relative);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<TemporaryHome> m_home;
    QString m_downloads;
};

QTEST_GUILESS_MAIN(TestLocalLibrary)
#include "tst_locallibrary.moc"
