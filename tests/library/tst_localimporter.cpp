#include "LibraryFakes.h"
#include "LocalImporter.h"
#include "TemporaryHome.h"
#include "TestClip.h"
#include "TranscodeError.h"

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

namespace {

TestClip::Recipe smallClip(int frames = 15)
{
    TestClip::Recipe recipe;
    recipe.size = QSize(64, 36);
    recipe.frames = frames;
    return recipe;
}

} // namespace

class TestLocalImporter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void videoBecomesAWallpaperWithItsFiles();
    void titleAndCategoryFromTheVideosOwnMetadata_data();
    void titleAndCategoryFromTheVideosOwnMetadata();
    void unsafeTitleNamesAFileInsideTheFolder();
    void importingTwiceGivesTwoWallpapers();
    void picturesAreCopiedWithTheirPoster();
    void unreadablePictureFallsBackTo4K();
    void failedImportLeavesNoFolder();
    void importerGoneStopsItsImportsAndTheirFolders();

private:
    QString write(const QString& name, const TestClip::Recipe& recipe = smallClip())
    {
        const QString path = m_sources->filePath(name);
        QString error;
        if (!TestClip::write(path, recipe, &error))
            QTest::qFail(qPrintable(error), __FILE__, __LINE__);
        return path;
    }
    QString downloads() const { return m_home->appSupportPath() + "/Downloads"; }
    QStringList folders() const { return QDir(downloads()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); }
    QStringList filesOf(const Wallpaper& wallpaper) const
    {
        return QDir(downloads() + "/" + wallpaper.hexID()).entryList(QDir::Files, QDir::Name);
    }
    // Waits for the import; the failure's description, or empty on success.
    static QString failureOf(QFuture<Wallpaper> import)
    {
        if (!QTest::qWaitFor([&] { return import.isFinished(); }, 60000))
            return "still running";
        try {
            import.waitForFinished();
        } catch (const TranscodeError& error) {
            return error.description();
        } catch (const MediaError& error) {
            return error.description();
        }
        return {};
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<QTemporaryDir> m_sources;
    FakeAccount m_account;
    QList<QPair<Wallpaper, ImportResult>> m_added;
    std::unique_ptr<LocalImporter> m_importer;
};

void TestLocalImporter::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_sources = std::make_unique<QTemporaryDir>();
    m_added.clear();
    m_account.account = { QString("00112233-4455-6677-8899-aabbccddeeff"), QString("Ada"), std::nullopt };
    m_importer
        = std::make_unique<LocalImporter>(downloads(), m_account, [this](const Wallpaper& w, const ImportResult& r) {
              m_added.append({ w, r });
          });
}

void TestLocalImporter::cleanup() { m_importer.reset(); }

void TestLocalImporter::videoBecomesAWallpaperWithItsFiles()
{
    TestClip::Recipe recipe = smallClip();
    recipe.audio = true;
    const QString source = write("Holiday.MOV", recipe);
    QSignalSpy importing(m_importer.get(), &LocalImporter::importingChanged);
    QFuture<Wallpaper> import = m_importer->importLocalFile(source);
    QVERIFY(m_importer->isImporting());
    QCOMPARE(failureOf(import), QString());
    QTRY_VERIFY(!m_importer->isImporting());
    QCOMPARE(importing.count(), 2);

    const Wallpaper wallpaper = import.result();
    QCOMPARE(m_added.size(), 1);
    QCOMPARE(m_added[0].first.id, wallpaper.id);
    QCOMPARE(wallpaper.title(), QString("Holiday"));
    QCOMPARE(wallpaper.wallpaperType(), WallpaperType::video);
    QCOMPARE(wallpaper.tags(), QStringList { "imported" });
    QCOMPARE(wallpaper.category(), WallpaperCategory::digitalArt);
    QCOMPARE(wallpaper.resolution(), QSizeF(64, 36));
    QCOMPARE(wallpaper.cloudID(), std::optional<QString>(wallpaper.hexID()));
    QCOMPARE(wallpaper.creator().name, QString("Ada"));
    QVERIFY(wallpaper.isNew() && !wallpaper.isFeatured());
    QCOMPARE(filesOf(wallpaper), (QStringList { "Holiday.mov", "Poster.png", "preview.mov" }));
    const ImportResult& files = m_added[0].second;
    QCOMPARE(wallpaper.fileSize(), QFileInfo(files.filePath).size());
    QVERIFY(wallpaper.fileSize() > 0);
    QCOMPARE(files.previewClipPath, std::optional<QString>(downloads() + "/" + wallpaper.hexID() + "/preview.mov"));
    QCOMPARE(m_importer->progress(), 1.0);
}

void TestLocalImporter::titleAndCategoryFromTheVideosOwnMetadata_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QByteArray>("comment");
    QTest::addColumn<QString>("expectedTitle");
    QTest::addColumn<WallpaperCategory>("category");

    QTest::newRow("embedded title wins") << QByteArray("Sunset over Lisbon") << QByteArray() << "Sunset over Lisbon"
                                         << WallpaperCategory::digitalArt;
    QTest::newRow("empty title ignored") << QByteArray("") << QByteArray() << "clip" << WallpaperCategory::digitalArt;
    QTest::newRow("category from the comment")
        << QByteArray() << QByteArray(R"({"category":"space"})") << "clip" << WallpaperCategory::space;
    QTest::newRow("unknown category") << QByteArray() << QByteArray(R"({"category":"stars"})") << "clip"
                                      << WallpaperCategory::digitalArt;
}

void TestLocalImporter::titleAndCategoryFromTheVideosOwnMetadata()
{
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, comment);
    QFETCH(QString, expectedTitle);
    QFETCH(WallpaperCategory, category);

    TestClip::Recipe recipe = smallClip();
    if (!title.isNull())
        recipe.fileTags.append(qMakePair(QByteArray("title"), title));
    if (!comment.isNull())
        recipe.fileTags.append(qMakePair(QByteArray("comment"), comment));
    QFuture<Wallpaper> import = m_importer->importLocalFile(write("clip.mov", recipe));
    QCOMPARE(failureOf(import), QString());
    QCOMPARE(import.result().title(), expectedTitle);
    QCOMPARE(import.result().category(), category);
}

void TestLocalImporter::unsafeTitleNamesAFileInsideTheFolder()
{
    TestClip::Recipe recipe = smallClip();
    recipe.fileTags.append(qMakePair(QByteArray("title"), QByteArray("../../escaped")));
    QFuture<Wallpaper> import = m_importer->importLocalFile(write("clip.mov", recipe));
    QCOMPARE(failureOf(import), QString());
    const Wallpaper wallpaper = import.result();
    QCOMPARE(wallpaper.title(), QString("../../escaped"));
    QCOMPARE(filesOf(wallpaper), (QStringList { "Poster.png", "_.._escaped.mov", "preview.mov" }));
    QCOMPARE(folders(), QStringList { wallpaper.hexID() });
}

void TestLocalImporter::importingTwiceGivesTwoWallpapers()
{
    const QString source = write("clip.mov");
    QFuture<Wallpaper> first = m_importer->importLocalFile(source);
    QFuture<Wallpaper> second = m_importer->importLocalFile(source);
    QCOMPARE(failureOf(first), QString());
    QCOMPARE(failureOf(second), QString());
    QVERIFY(first.result().hexID() != second.result().hexID());
    QCOMPARE(folders().size(), 2);
    QTRY_COMPARE(m_added.size(), 2);
}

void TestLocalImporter::picturesAreCopiedWithTheirPoster()
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString source = m_sources->filePath("Beach.JPG");
    QVERIFY(picture.save(source, "JPG"));
    QFuture<Wallpaper> import = m_importer->importLocalFile(source);
    QCOMPARE(failureOf(import), QString());
    const Wallpaper wallpaper = import.result();
    QCOMPARE(wallpaper.wallpaperType(), WallpaperType::image);
    QCOMPARE(wallpaper.resolution(), QSizeF(40, 30));
    QCOMPARE(filesOf(wallpaper), (QStringList { "Beach.JPG", "Poster.png" }));
    QFile original(source), copy(downloads() + "/" + wallpaper.hexID() + "/Beach.JPG");
    QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original.readAll());
    QCOMPARE(QImage(downloads() + "/" + wallpaper.hexID() + "/Poster.png").size(), QSize(40, 30));
    QCOMPARE(m_added[0].second.previewClipPath, std::nullopt);
}

void TestLocalImporter::unreadablePictureFallsBackTo4K()
{
    const QString source = m_sources->filePath("photo");
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    QFuture<Wallpaper> import = m_importer->importLocalFile(source);
    QCOMPARE(failureOf(import), QString());
    QCOMPARE(import.result().resolution(), QSizeF(3840, 2160));
    QCOMPARE(import.result().title(), QString("photo"));
    QCOMPARE(filesOf(import.result()), QStringList { "photo.png" });
}

void TestLocalImporter::failedImportLeavesNoFolder()
{
    TestClip::Recipe recipe = smallClip();
    recipe.video = false;
    recipe.audio = true;
    QCOMPARE(
        failureOf(m_importer->importLocalFile(write("song.mov", recipe))), QString("No video track found in the file"));
    QFile broken(m_sources->filePath("broken.mp4"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(4096, 'x'));
    broken.close();
    QVERIFY(!failureOf(m_importer->importLocalFile(broken.fileName())).isEmpty());
    QCOMPARE(folders(), QStringList());
    QVERIFY(m_added.isEmpty());
}

void TestLocalImporter::importerGoneStopsItsImportsAndTheirFolders()
{
    TestClip::Recipe recipe = smallClip(600);
    recipe.size = QSize(640, 360);
    m_importer->importLocalFile(write("long.mov", recipe));
    QTRY_VERIFY_WITH_TIMEOUT(m_importer->progress() > 0, 30000);
    m_importer.reset();
    QCOMPARE(folders(), QStringList());
    QVERIFY(m_added.isEmpty());
}

QTEST_GUILESS_MAIN(TestLocalImporter)
#include "tst_localimporter.moc"
