#include "AwaitFuture.h"
#include "LibraryRig.h"
#include "SessionTokenStore.h"
#include "SubmissionFiles.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString key = "abc1234";

QJsonObject submitted() { return { { "submitted", true } }; }

} // namespace

// A wallpaper of the user's own sent for review through the fake web service.
class TestWallpaperSubmitter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_rig.reset(); }
    void sendsEverySlotInOrder_data();
    void sendsEverySlotInOrder();
    void aFailedUploadLeavesNoStatusAnywhere();
    void missingFilesFailBeforeAnyRequest_data();
    void missingFilesFailBeforeAnyRequest();
    void aSecondCallWhileRunningDoesNothing();
    void thumbnailIsAtMost640Wide_data();
    void thumbnailIsAtMost640Wide();
    void anUploadCutShortIsForgottenAtStart();

private:
    QString folder() const { return m_rig->downloads() + "/" + key; }
    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder() + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void writePoster(QSize size = QSize(1920, 1080))
    {
        QImage poster(size, QImage::Format_RGB32);
        poster.fill(Qt::darkMagenta);
        QVERIFY(poster.save(folder() + "/Poster.png"));
    }
    // The requests after sign-in, as "METHOD path" below the base path.
    QStringList requests() const
    {
        QStringList sent;
        for (const FakeRequest& request : m_rig->web.requests())
            sent.append(QString::fromLatin1(request.method) + ' ' + request.path.mid(FakeWebService::basePath.size() + 1));
        return sent;
    }
    std::optional<Wallpaper> record() const
    {
        for (const Wallpaper& wallpaper : m_rig->manager->allWallpaperList().items()) {
            if (wallpaper.hexID == key)
                return wallpaper;
        }
        return std::nullopt;
    }
    std::optional<LocalWallpaperMeta> metadata() const
    {
        QFile file(folder() + "/metadata.json");
        return file.open(QIODevice::ReadOnly) ? LocalWallpaperMeta::fromJson(file.readAll()) : std::nullopt;
    }

    std::unique_ptr<LibraryRig> m_rig;
};

void TestWallpaperSubmitter::init()
{
    m_rig = std::make_unique<LibraryRig>();
    QVERIFY(SessionTokenStore::save("secret"));
    m_rig->web.requireBearer("secret");
    m_rig->web.on("POST", "me/wallpapers", FakeReply::ok(QJsonObject { { "id", "srv1" }, { "status", "draft" } }));
    for (const char* slot : { "thumbnail", "poster", "content", "preview" })
        m_rig->web.on("PUT", QString("me/wallpapers/srv1/files/") + slot, FakeReply::okWithoutData());
    m_rig->web.on("POST", "me/wallpapers/srv1/submit", FakeReply::ok(submitted()));
    m_rig->addLocalItem(key, std::nullopt, false);
}

void TestWallpaperSubmitter::sendsEverySlotInOrder_data()
{
    QTest::addColumn<QString>("contentFile");
    QTest::addColumn<QString>("type");
    QTest::addColumn<qint64>("contentBytes");
    QTest::addColumn<bool>("withPreview");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QList<double>>("progress");

    const QList<double> steps { 0.05, 0.1, 0.15, 0.25, 0.4, 0.8, 0.9, 1.0 };
    QTest::newRow("no preview: 0.8 straight to 0.9")
        << "clip.mp4" << "video" << qint64(100) << false << QByteArray("video/quicktime") << steps;
    QTest::newRow("with preview") << "clip.mp4" << "video" << qint64(100) << true << QByteArray("video/quicktime")
                                  << steps;
    QTest::newRow("a JPEG still declares PNG")
        << "Beach.jpg" << "image" << qint64(100) << false << QByteArray("image/png") << steps;
    QTest::newRow("content in two parts moves the bar")
        << "clip.mov" << "video" << LantoAPIClient::partSize + 1 << false << QByteArray()
        << QList<double> { 0.05, 0.1, 0.15, 0.25, 0.4, 0.4 + 0.4 * 0.5, 0.8, 0.9, 1.0 };
}

void TestWallpaperSubmitter::sendsEverySlotInOrder()
{
    QFETCH(QString, contentFile);
    QFETCH(QString, type);
    QFETCH(qint64, contentBytes);
    QFETCH(bool, withPreview);
    QFETCH(QByteArray, contentType);
    QFETCH(QList<double>, progress);

    writePoster();
    writeFile("notes.txt", "not content");
    writeFile(contentFile, QByteArray(contentBytes, 'c'));
    if (withPreview)
        writeFile("preview.mov", "preview");
    const QString parts = "me/wallpapers/srv1/files/content/";
    m_rig->web.on("POST", parts + "multipart-init", FakeReply::ok(QJsonObject { { "uploadId", "u" }, { "key", "k" } }));
    m_rig->web.on("PUT", parts + "multipart-part", FakeReply::ok(QJsonObject { { "etag", "e" } }));
    m_rig->web.on("POST", parts + "multipart-complete", FakeReply::ok(QJsonObject { { "uploaded", "k" } }));

    WallpaperManager& library = m_rig->start();
    QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
    Wallpaper wallpaper = *record();
    wallpaper.wallpaperType = type == "video" ? WallpaperType::video : WallpaperType::image;
    QList<double> seen;
    connect(&library, &WallpaperManager::submissionProgressChanged, this,
        [&] { seen.append(library.submissionProgress()); });
    QString statusWhileSending;
    connect(&m_rig->web, &FakeWebService::requestReceived, this,
        [&] { statusWhileSending = library.submissionStatuses().value(key); });

    const auto outcome = awaitFuture(library.submitWallpaper(wallpaper));
    QVERIFY(outcome);
    QCOMPARE(*outcome ? (*outcome)->description() : QString(), QString());
    QCOMPARE(seen, progress);
    QCOMPARE(statusWhileSending, QString("uploading"));
    QVERIFY(!library.isSubmitting());

    QStringList expected { "POST me/wallpapers", "PUT me/wallpapers/srv1/files/thumbnail",
        "PUT me/wallpapers/srv1/files/poster" };
    if (contentBytes < LantoAPIClient::multipartThreshold)
        expected << "PUT me/wallpapers/srv1/files/content";
    else
        expected << "POST " + parts + "multipart-init" << "PUT " + parts + "multipart-part"
                 << "PUT " + parts + "multipart-part" << "POST " + parts + "multipart-complete";
    if (withPreview)
        expected << "PUT me/wallpapers/srv1/files/preview";
    expected << "POST me/wallpapers/srv1/submit";
    QCOMPARE(requests(), expected);

    const QJsonObject body = m_rig->web.requests("POST", "me/wallpapers").first().jsonBody();
    QCOMPARE(body, (QJsonObject { { "title", "Mine " + key }, { "categoryId", "nature" }, { "type", type },
                       { "resolutionWidth", 1920 }, { "resolutionHeight", 1080 }, { "fileSize", 0 } }));
    const FakeRequest thumbnail = m_rig->web.requests("PUT", "me/wallpapers/srv1/files/thumbnail").first();
    QCOMPARE(thumbnail.header("Content-Type"), QByteArray("image/jpeg"));
    QCOMPARE(QImage::fromData(thumbnail.body, "JPEG").size(), QSize(640, 360));
    if (!contentType.isEmpty()) {
        const FakeRequest content = m_rig->web.requests("PUT", "me/wallpapers/srv1/files/content").first();
        QCOMPARE(content.header("Content-Type"), contentType);
        QCOMPARE(content.bodySize, contentBytes);
    }
    QCOMPARE(library.submissionStatuses(), (QMap<QString, QString> { { key, "pending" } }));
    QCOMPARE(record()->submissionStatus, std::optional<QString>("pending"));
    QCOMPARE(record()->serverWallpaperId, std::optional<QString>("srv1"));
    QCOMPARE(metadata()->submissionStatus, std::optional<QString>("pending"));
    QCOMPARE(metadata()->serverWallpaperId, std::optional<QString>("srv1"));
}

void TestWallpaperSubmitter::aFailedUploadLeavesNoStatusAnywhere()
{
    writePoster();
    writeFile("clip.mov", "movie");
    m_rig->web.on("PUT", "me/wallpapers/srv1/files/content", FakeReply::failure("Storage full", 500));
    WallpaperManager& library = m_rig->start();
    QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
    QSignalSpy submitting(&library, &WallpaperManager::isSubmittingChanged);

    const auto outcome = awaitFuture(library.submitWallpaper(*record()));
    QVERIFY(outcome && *outcome);
    QCOMPARE((*outcome)->description(), QString("HTTP error 500"));
    QCOMPARE(submitting.count(), 2);
    QVERIFY(!library.isSubmitting());
    QCOMPARE(library.submissionProgress(), 0.4);
    QVERIFY(library.submissionStatuses().isEmpty());
    QCOMPARE(record()->submissionStatus, std::nullopt);
    QCOMPARE(metadata()->submissionStatus, std::nullopt);
    QCOMPARE(m_rig->web.requestCount("POST", "me/wallpapers/srv1/submit"), 0);
}

void TestWallpaperSubmitter::missingFilesFailBeforeAnyRequest_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("withCloudID");
    QTest::addColumn<QString>("description");

    QTest::newRow("no cloud id") << QStringList { "Poster.png", "clip.mov" } << false
                                 << "Missing files: No wallpaper ID";
    QTest::newRow("no poster") << QStringList { "clip.mov" } << true << "Missing files: Poster.png not found";
    QTest::newRow("only a text file") << QStringList { "Poster.png", "preview.mov", "notes.txt" } << true
                                      << "Missing files: Content file not found";
    QTest::newRow("unreadable poster") << QStringList { "clip.mov", "Poster.png!" } << true
                                       << "Missing files: Cannot read poster for thumbnail";
}

void TestWallpaperSubmitter::missingFilesFailBeforeAnyRequest()
{
    QFETCH(QStringList, files);
    QFETCH(bool, withCloudID);
    QFETCH(QString, description);

    for (const QString& name : files) {
        if (name == "Poster.png")
            writePoster();
        else
            writeFile(QString(name).remove('!'), "bytes");
    }
    WallpaperManager& library = m_rig->start();
    QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
    QSignalSpy statuses(&library, &WallpaperManager::submissionStatusesChanged);
    Wallpaper wallpaper = *record();
    if (!withCloudID)
        wallpaper.cloudID.reset();

    const auto outcome = awaitFuture(library.submitWallpaper(wallpaper));
    QVERIFY(outcome && *outcome);
    QVERIFY((*outcome)->as<SubmissionError>());
    QCOMPARE((*outcome)->description(), description);
    QCOMPARE(statuses.count(), withCloudID ? 2 : 0); // "uploading", then none
    QVERIFY(library.submissionStatuses().isEmpty());
    QVERIFY(!library.isSubmitting());
    QCOMPARE(m_rig->web.requestCount(), 0);
}

void TestWallpaperSubmitter::aSecondCallWhileRunningDoesNothing()
{
    writePoster();
    writeFile("clip.mov", "movie");
    WallpaperManager& library = m_rig->start();
    QVERIFY(QTest::qWaitFor([&] { return library.isStarted(); }));
    QFuture<WallpaperSubmitter::Outcome> first = library.submitWallpaper(*record());
    QVERIFY(library.isSubmitting());
    QFuture<WallpaperSubmitter::Outcome> second = library.submitWallpaper(*record());
    QVERIFY(second.isFinished() && !second.result());

    QVERIFY(awaitFuture(first));
    QCOMPARE(m_rig->web.requestCount("POST", "me/wallpapers"), 1);
}

void TestWallpaperSubmitter::thumbnailIsAtMost640Wide_data()
{
    QTest::addColumn<QSize>("poster");
    QTest::addColumn<QSize>("thumbnail");
    QTest::newRow("1920 wide") << QSize(1920, 1080) << QSize(640, 360);
    QTest::newRow("500 wide keeps its size") << QSize(500, 300) << QSize(500, 300);
    QTest::newRow("too flat to scale") << QSize(6400, 5) << QSize();
}

void TestWallpaperSubmitter::thumbnailIsAtMost640Wide()
{
    QFETCH(QSize, poster);
    QFETCH(QSize, thumbnail);
    writePoster(poster);
    const auto made = SubmissionFiles::makeSubmissionThumbnail(folder() + "/Poster.png");
    if (thumbnail.isEmpty()) {
        QCOMPARE(std::get<SubmissionError>(made).payload(), QString("Failed to encode thumbnail"));
        return;
    }
    QByteArray jpeg = std::get<QByteArray>(made);
    QBuffer buffer(&jpeg);
    QImageReader reader(&buffer);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), thumbnail);
}

void TestWallpaperSubmitter::anUploadCutShortIsForgottenAtStart()
{
    m_rig->addLocalItem("def5678", QString("pending"));
    m_rig->addLocalItem(key, QString("uploading"));
    WallpaperManager& library = m_rig->start();
    QCOMPARE(library.submissionStatuses(), (QMap<QString, QString> { { "def5678", "pending" } }));
    QCOMPARE(record()->submissionStatus, std::nullopt);
    QCOMPARE(metadata()->submissionStatus, std::nullopt);
}

QTEST_GUILESS_MAIN(TestWallpaperSubmitter)
#include "tst_wallpapersubmitter.moc"
