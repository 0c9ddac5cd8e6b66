#include "AwaitFuture.h"
#include "LibraryRig.h"
#include "SessionTokenStore.h"

#include <QImage>
#include <QSignalSpy>
#include <QtTest>

static const QString key = "abc1234";

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
    void anUploadCutShortIsForgottenAtStart();
    void aWallpaperAlreadySentIsNotSentAgain_data();
    void aWallpaperAlreadySentIsNotSentAgain();

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
    std::optional<Wallpaper> record() const { return m_rig->record(key); }
    std::optional<LocalWallpaperMeta> metadata() const { return m_rig->metadata(key); }

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
    m_rig->web.on("POST", "me/wallpapers/srv1/submit", FakeReply::ok(QJsonObject { { "submitted", true } }));
    m_rig->addLocalItem(key, std::nullopt, false);
}

void TestWallpaperSubmitter::sendsEverySlotInOrder_data()
{
    QTest::addColumn<QString>("contentFile");
    QTest::addColumn<QString>("type");
    QTest::addColumn<qint64>("contentBytes");
    QTest::addColumn<bool>("withPreview");
    QTest::addColumn<QList<double>>("progress");
    QTest::addColumn<QSize>("poster"); // its thumbnail is at most 640 wide, never enlarged
    QTest::addColumn<QSize>("thumbnail");

    const QList<double> steps { 0.05, 0.1, 0.15, 0.25, 0.4, 0.8, 0.9, 1.0 };
    const QSize fullHD(1920, 1080), third(640, 360);
    QTest::newRow("no preview: 0.8 straight to 0.9")
        << "clip.mp4" << "video" << qint64(100) << false << steps << fullHD << third;
    QTest::newRow("with preview, small poster")
        << "clip.mp4" << "video" << qint64(100) << true << steps << QSize(500, 300) << QSize(500, 300);
    QTest::newRow("a JPEG still declares PNG")
        << "Beach.jpg" << "image" << qint64(100) << false << steps << fullHD << third;
    QTest::newRow("content in two parts moves the bar")
        << "clip.mov" << "video" << LantoAPIClient::partSize + 1 << false
        << QList<double> { 0.05, 0.1, 0.15, 0.25, 0.4, 0.4 + 0.4 * 0.5, 0.8, 0.9, 1.0 } << fullHD << third;
}

void TestWallpaperSubmitter::sendsEverySlotInOrder()
{
    QFETCH(QString, contentFile);
    QFETCH(QString, type);
    QFETCH(qint64, contentBytes);
    QFETCH(bool, withPreview);
    QFETCH(QList<double>, progress);
    QFETCH(QSize, poster);
    QFETCH(QSize, thumbnail);

    writePoster(poster);
    writeFile("notes.txt", "not content");
    writeFile(contentFile, QByteArray(contentBytes, 'c'));
    if (withPreview)
        writeFile("preview.mov", "preview");
    const QString parts = "me/wallpapers/srv1/files/content/";
    m_rig->web.on("POST", parts + "multipart-init", FakeReply::ok(QJsonObject { { "uploadId", "u" }, { "key", "k" } }));
    m_rig->web.on("PUT", parts + "multipart-part", FakeReply::ok(QJsonObject { { "etag", "e" } }));
    m_rig->web.on("POST", parts + "multipart-complete", FakeReply::ok(QJsonObject { { "uploaded", "k" } }));

    WallpaperManager& library = m_rig->start();
    Wallpaper wallpaper = *record();
    wallpaper.edit().wallpaperType = type == "video" ? WallpaperType::video : WallpaperType::image;
    QList<double> seen;
    connect(&library, &WallpaperManager::submissionProgressChanged, this,
        [&] { seen.append(library.submissionProgress()); });
    QString statusWhileSending;
    connect(&m_rig->web, &FakeWebService::requestReceived, this,
        [&] { statusWhileSending = library.submissionStatuses().value(key); });

    QFuture<WallpaperSubmitter::Outcome> submission = library.submitWallpaper(wallpaper);
    // Running from the call on: a second call does nothing.
    QVERIFY(library.isSubmitting() && library.submitWallpaper(wallpaper).isFinished());
    const auto outcome = awaitFuture(submission);
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
    const FakeRequest jpeg = m_rig->web.requests("PUT", "me/wallpapers/srv1/files/thumbnail").first();
    QCOMPARE(jpeg.header("Content-Type"), QByteArray("image/jpeg"));
    QCOMPARE(QImage::fromData(jpeg.body, "JPEG").size(), thumbnail);
    const QList<FakeRequest> content = m_rig->web.requests("PUT", "me/wallpapers/srv1/files/content");
    if (!content.isEmpty())
        QCOMPARE(content.first().header("Content-Type"), type == "video" ? "video/quicktime" : "image/png");
    QCOMPARE(library.submissionStatuses(), (QMap<QString, QString> { { key, "pending" } }));
    QCOMPARE(record()->submissionStatus(), std::optional<QString>("pending"));
    QCOMPARE(record()->serverWallpaperId(), std::optional<QString>("srv1"));
    QCOMPARE(metadata()->submissionStatus, std::optional<QString>("pending"));
    QCOMPARE(metadata()->serverWallpaperId, std::optional<QString>("srv1"));
}

void TestWallpaperSubmitter::aFailedUploadLeavesNoStatusAnywhere()
{
    writePoster();
    writeFile("clip.mov", "movie");
    m_rig->web.on("PUT", "me/wallpapers/srv1/files/content", FakeReply::failure("Storage full", 500));
    WallpaperManager& library = m_rig->start();
    QSignalSpy submitting(&library, &WallpaperManager::isSubmittingChanged);

    const auto outcome = awaitFuture(library.submitWallpaper(*record()));
    QVERIFY(outcome && *outcome);
    QCOMPARE((*outcome)->description(), QString("HTTP error 500"));
    QCOMPARE(submitting.count(), 2);
    QVERIFY(!library.isSubmitting());
    QCOMPARE(library.submissionProgress(), 0.4);
    QVERIFY(library.submissionStatuses().isEmpty());
    QCOMPARE(record()->submissionStatus(), std::nullopt);
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
    QSignalSpy statuses(&library, &WallpaperManager::submissionStatusesChanged);
    Wallpaper wallpaper = *record();
    if (!withCloudID)
        wallpaper.edit().cloudID.reset();

    const auto outcome = awaitFuture(library.submitWallpaper(wallpaper));
    QVERIFY(outcome && *outcome);
    QVERIFY((*outcome)->as<SubmissionError>());
    QCOMPARE((*outcome)->description(), description);
    QCOMPARE(statuses.count(), withCloudID ? 2 : 0); // "uploading", then none
    QVERIFY(library.submissionStatuses().isEmpty());
    QVERIFY(!library.isSubmitting());
    QCOMPARE(m_rig->web.requestCount(), 0);
}

void TestWallpaperSubmitter::anUploadCutShortIsForgottenAtStart()
{
    m_rig->addLocalItem("def5678", QString("pending"));
    m_rig->addLocalItem(key, QString("uploading"));
    WallpaperManager& library = m_rig->start();
    QCOMPARE(library.submissionStatuses(), (QMap<QString, QString> { { "def5678", "pending" } }));
    QCOMPARE(record()->submissionStatus(), std::nullopt);
    QCOMPARE(metadata()->submissionStatus, std::nullopt);
}

void TestWallpaperSubmitter::aWallpaperAlreadySentIsNotSentAgain_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("staleCard"); // the caller's copy still has no status
    QTest::newRow("pending") << "pending" << false;
    QTest::newRow("approved") << "approved" << false;
    QTest::newRow("sent since the card was drawn") << "pending" << true;
}

void TestWallpaperSubmitter::aWallpaperAlreadySentIsNotSentAgain()
{
    QFETCH(QString, status);
    QFETCH(bool, staleCard);
    writePoster();
    writeFile("clip.mov", "movie");
    WallpaperManager& library = m_rig->start();
    const Wallpaper drawn = *record();
    library.setSubmissionStatus(key, status);

    const auto outcome = awaitFuture(library.submitWallpaper(staleCard ? drawn : *record()));
    QVERIFY(outcome && !*outcome);
    QCOMPARE(m_rig->web.requestCount(), 0);
    QCOMPARE(record()->submissionStatus(), status);
    QVERIFY(!library.isSubmitting());
}

QTEST_GUILESS_MAIN(TestWallpaperSubmitter)
#include "tst_wallpapersubmitter.moc"
