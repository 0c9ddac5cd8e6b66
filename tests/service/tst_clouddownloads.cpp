#include "AwaitFuture.h"
#include "CloudService.h"
#include "FakeWebService.h"
#include "LogCapture.h"
#include "ProcessMemory.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"

#include <QTcpServer>
#include <QtTest>

namespace {

template <typename T> T await(QFuture<T> future)
{
    std::optional<T> result = awaitFuture(future, std::chrono::minutes(2));
    if (!result)
        qFatal("the download did not finish");
    return *result;
}

} // namespace

class TestCloudDownloads : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void progressFractions_data();
    void progressFractions();
    void downloadsContentAndPoster();
    void refusedDownloadIsRemembered();
    void refusalFailsAtOnceAndIsRemembered_data();
    void refusalFailsAtOnceAndIsRemembered();
    void failedDownloadLeavesNothing_data();
    void failedDownloadLeavesNothing();
    void contentOnDiskIsNotFetchedAgain();
    void unsafeIdsAreRefused_data();
    void unsafeIdsAreRefused();
    void posterErrorPageIsNotKept();
    void thumbnails_data();
    void thumbnails();
    void thumbnailOnDiskOrInvalidAddressMakesNoRequest();
    void filesCarryTheTokenToTheServiceOnly();
    void largeDownloadStreamsWithFlatMemory();

private:
    QString downloads(const QString& relative = {}) const { return m_base->filePath("Downloads/" + relative); }

    std::unique_ptr<QTemporaryDir> m_base;
    std::unique_ptr<FakeWebService> m_web;
    std::unique_ptr<CloudService> m_cloud;
};

void TestCloudDownloads::init()
{
    m_base = std::make_unique<QTemporaryDir>();
    m_web = std::make_unique<FakeWebService>();
    m_cloud = std::make_unique<CloudService>(m_base->path());
}

void TestCloudDownloads::cleanup()
{
    m_cloud.reset();
    m_web.reset();
    m_base.reset();
}

void TestCloudDownloads::progressFractions_data()
{
    QTest::addColumn<qint64>("written");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<double>("fraction");

    QTest::newRow("known size") << qint64(250) << qint64(1000) << 0.25;
    QTest::newRow("unknown size, 30 MB") << qint64(30'000'000) << qint64(-1) << 1.0 - std::exp(-1.0);
    QTest::newRow("unknown size, capped") << qint64(300'000'000) << qint64(0) << 0.95;
    QTest::newRow("unknown size, nothing yet") << qint64(0) << qint64(-1) << 0.0;
}

void TestCloudDownloads::progressFractions()
{
    QFETCH(qint64, written);
    QFETCH(qint64, expected);
    QFETCH(double, fraction);
    QVERIFY(qAbs(CloudService::progressFraction(written, expected) - fraction) < 1e-9);
}

void TestCloudDownloads::downloadsContentAndPoster()
{
    const QByteArray content(3 << 20, 'v');
    m_web->on("GET", "/c/w1.mov", FakeReply::raw(200, content, "video/quicktime"));
    m_web->on("GET", "/p/w1.png", FakeReply::raw(200, "png bytes", "image/png"));
    LogCapture log;
    QList<double> progress;
    QSignalSpy downloading(m_cloud.get(), &CloudService::downloadingIDsChanged);

    const Result<QUrl> file = await(m_cloud->downloadContent("w1", m_web->url("/c/w1.mov").toString(),
        m_web->url("/p/w1.png").toString(), [&](double fraction) { progress << fraction; }));
    QVERIFY2(file, qPrintable(file ? QString() : file.error().description()));
    QCOMPARE(file.value().toLocalFile(), downloads("w1/content.mov"));
    QFile written(downloads("w1/content.mov"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), content);
    QFile poster(downloads("w1/Poster.png"));
    QVERIFY(poster.open(QIODevice::ReadOnly));
    QCOMPARE(poster.readAll(), QByteArray("png bytes"));

    QVERIFY(!progress.isEmpty());
    QVERIFY(std::is_sorted(progress.cbegin(), progress.cend()));
    QVERIFY(progress.constLast() <= 1.0);
    QCOMPARE(downloading.count(), 2); // marked, then cleared
    QVERIFY(m_cloud->downloadingIDs().isEmpty());
    QVERIFY(m_cloud->downloadProgress().isEmpty());
    QVERIFY(m_cloud->isDownloaded("w1"));
    QCOMPARE(m_cloud->localPosterURL("w1"), std::optional(QUrl::fromLocalFile(downloads("w1/Poster.png"))));
    QCOMPARE(log.lines(),
        (QStringList {
            "Lanto CloudService: Downloaded poster for w1", "Lanto CloudService: Downloaded w1 -> content.mov" }));
    // Only the finished file is in the folder.
    QCOMPARE(QDir(downloads("w1")).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestCloudDownloads::refusedDownloadIsRemembered()
{
    m_web->once("GET", "/c/w2.mp4", FakeReply::raw(404, "missing"));
    const Result<QUrl> refused = await(m_cloud->downloadContent("w2", m_web->url("/c/w2.mp4").toString(), {}));
    QVERIFY(!refused);
    QCOMPARE(refused.error().description(), QStringLiteral("Failed to download wallpaper: w2"));
    QCOMPARE(m_cloud->failedIDs(), QSet<QString> { "w2" });
    QVERIFY(m_cloud->downloadingIDs().isEmpty());
    QVERIFY(m_cloud->downloadProgress().isEmpty());
    QVERIFY(!QFileInfo::exists(downloads("w2"))); // neither the error page nor the folder
    QVERIFY(!m_cloud->isDownloaded("w2"));

    m_web->on("GET", "/c/w2.mp4", FakeReply::raw(200, "video"));
    QSignalSpy failed(m_cloud.get(), &CloudService::failedIDsChanged);
    QVERIFY(await(m_cloud->downloadContent("w2", m_web->url("/c/w2.mp4").toString(), {})));
    QVERIFY(m_cloud->failedIDs().isEmpty());
    QCOMPARE(failed.count(), 1);
}

void TestCloudDownloads::refusalFailsAtOnceAndIsRemembered_data()
{
    QTest::addColumn<bool>("http");
    QTest::newRow("error page larger than the read buffer") << true;
    QTest::newRow("answer that is not HTTP") << false;
}

void TestCloudDownloads::refusalFailsAtOnceAndIsRemembered()
{
    QFETCH(bool, http);
    // Only the idle time-out could end a stalled transfer, and it is far beyond the wait below.
    m_cloud = std::make_unique<CloudService>(m_base->path(), nullptr, std::chrono::hours(1));
    QTemporaryDir elsewhere;
    QFile local(elsewhere.filePath("video.mov"));
    QVERIFY(local.open(QIODevice::WriteOnly));
    local.write(QByteArray(64 * 1024, 'v'));
    local.close();
    m_web->on("GET", "/c/w5.mov", FakeReply::raw(500, QByteArray(8 << 20, 'e'), "text/html"));
    const QString address = http ? m_web->url("/c/w5.mov").toString() : QUrl::fromLocalFile(local.fileName()).toString();

    const std::optional<Result<QUrl>> refused
        = awaitFuture(m_cloud->downloadContent("w5", address, {}), std::chrono::minutes(2));
    QVERIFY(refused);
    QVERIFY(!*refused);
    QCOMPARE(refused->error().description(), QStringLiteral("Failed to download wallpaper: w5"));
    QCOMPARE(m_cloud->failedIDs(), QSet<QString> { "w5" });
    QVERIFY(m_cloud->downloadingIDs().isEmpty());
    QVERIFY(!m_cloud->isDownloaded("w5"));
}

void TestCloudDownloads::failedDownloadLeavesNothing_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("heldPoster");

    for (const char* failure : { "server error", "connection refused", "dropped", "abandoned" }) {
        QTest::addRow("%s", failure) << failure << false;
        QTest::addRow("%s, folder held a poster", failure) << failure << true;
    }
}

// Profile lists the folders in Downloads: a download that does not finish
// must take away the folder it made, and only what it made.
void TestCloudDownloads::failedDownloadLeavesNothing()
{
    QFETCH(QString, failure);
    QFETCH(bool, heldPoster);

    if (heldPoster) {
        QVERIFY(QDir().mkpath(downloads("w9")));
        QFile poster(downloads("w9/Poster.png"));
        QVERIFY(poster.open(QIODevice::WriteOnly) && poster.write("kept") == 4);
        poster.close();
        // Scanned, a folder with only a poster holds no content, so it is downloaded into.
        m_cloud->buildCache();
    }
    QString address = m_web->url("/c/w9.mov").toString();
    if (failure == "server error") {
        m_web->once("GET", "/c/w9.mov", FakeReply::raw(500, "broken", "text/plain"));
    } else if (failure == "connection refused") {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        address = "http://127.0.0.1:" + QString::number(closed.serverPort()) + "/c/w9.mov";
    } else if (failure == "dropped") {
        m_web->once("GET", "/c/w9.mov", FakeReply::dropped());
    } else {
        m_web->once("GET", "/c/w9.mov", FakeReply::stalled());
    }

    QFuture<Result<QUrl>> download = m_cloud->downloadContent("w9", address, {});
    if (failure == "abandoned") {
        // The program quits mid-transfer.
        QSignalSpy received(m_web.get(), &FakeWebService::requestReceived);
        QVERIFY(received.wait());
        QVERIFY(QFileInfo(downloads("w9")).isDir());
        m_cloud.reset();
        m_cloud = std::make_unique<CloudService>(m_base->path());
    } else {
        QVERIFY(!await(download));
    }
    const auto left = [this] {
        return QDir(downloads("w9")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    QTRY_COMPARE(left(), heldPoster ? QStringList { "Poster.png" } : QStringList());
    QCOMPARE(QFileInfo::exists(downloads("w9")), heldPoster);

    // A retry starts clean and finishes.
    m_web->on("GET", "/c/w9.mov", FakeReply::raw(200, "video"));
    const Result<QUrl> retried = await(m_cloud->downloadContent("w9", m_web->url("/c/w9.mov").toString(), {}));
    QVERIFY(retried);
    QCOMPARE(QDir(downloads("w9")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
        heldPoster ? QStringList({ "Poster.png", "content.mov" }) : QStringList { "content.mov" });
}

void TestCloudDownloads::contentOnDiskIsNotFetchedAgain()
{
    QVERIFY(QDir().mkpath(downloads("w3")));
    QFile existing(downloads("w3/content.mov"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();
    const Result<QUrl> file
        = await(m_cloud->downloadContent("w3", m_web->url("/c/w3.mov").toString(), m_web->url("/p/w3.png").toString()));
    QVERIFY(file);
    QCOMPARE(file.value().toLocalFile(), downloads("w3/content.mov"));
    QCOMPARE(m_web->requestCount(), 0);
}

void TestCloudDownloads::unsafeIdsAreRefused_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("address");

    QTest::newRow("parent") << ".."
                            << "/c/x.mov";
    QTest::newRow("nested") << "a/b"
                            << "/c/x.mov";
    QTest::newRow("empty") << ""
                           << "/c/x.mov";
    QTest::newRow("bad address") << "ok"
                                 << "";
}

void TestCloudDownloads::unsafeIdsAreRefused()
{
    QFETCH(QString, id);
    QFETCH(QString, address);

    QFile keep(m_base->filePath("Settings.plist"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();
    m_web->on("GET", "/c/x.mov", FakeReply::raw(200, "x"));
    const Result<QUrl> refused
        = await(m_cloud->downloadContent(id, address.isEmpty() ? address : m_web->url(address).toString(), {}));
    QVERIFY(!refused);
    QCOMPARE(refused.error().description(), "Failed to download wallpaper: " + id);
    QCOMPARE(m_web->requestCount(), 0);
    QVERIFY(m_cloud->downloadingIDs().isEmpty() && m_cloud->failedIDs().isEmpty());

    // Removing it reaches nothing outside the downloads folder.
    m_cloud->deleteContent(id);
    QVERIFY(QFileInfo::exists(m_base->filePath("Settings.plist")));
    QVERIFY(QFileInfo(downloads()).isDir());
}

void TestCloudDownloads::posterErrorPageIsNotKept()
{
    m_web->on("GET", "/c/w4.mov", FakeReply::raw(200, "video"));
    m_web->on("GET", "/p/w4.png", FakeReply::raw(404, "<html>not found</html>"));
    LogCapture log;
    QVERIFY(
        await(m_cloud->downloadContent("w4", m_web->url("/c/w4.mov").toString(), m_web->url("/p/w4.png").toString())));
    QVERIFY(!QFileInfo::exists(downloads("w4/Poster.png")));
    QVERIFY(!m_cloud->localPosterURL("w4"));
    QVERIFY(log.contains("Lanto CloudService: Failed to download poster for w4 — HTTP error 404"));
}

void TestCloudDownloads::thumbnails_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("kept");

    QTest::newRow("two bytes of marker") << 200 << QByteArray("\xff\xd8", 2) << false;
    QTest::newRow("marker and one byte") << 200 << QByteArray("\xff\xd8\x00", 3) << true;
    QTest::newRow("png") << 200 << QByteArray("\x89PNG\r\n\x1a\n", 8) << false;
    QTest::newRow("jpeg with 404") << 404 << QByteArray("\xff\xd8\xff\xe0", 4) << false;
    QTest::newRow("empty") << 200 << QByteArray() << false;
}

void TestCloudDownloads::thumbnails()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, kept);

    m_web->on("GET", "/t/w5.jpg", FakeReply::raw(status, body, "image/jpeg"));
    const QString address = m_web->url("/t/w5.jpg").toString();
    const std::optional<QUrl> file = await(m_cloud->fetchThumbnail("w5", address));
    const QString path = m_base->filePath("Cache/thumbnails/w5.jpg");
    QCOMPARE(file.has_value(), kept);
    QCOMPARE(QFileInfo::exists(path), kept);
    if (kept) {
        QCOMPARE(file->toLocalFile(), path);
        QFile stored(path);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), body);
    }
    // A refusal is not remembered; a kept thumbnail is answered from memory.
    await(m_cloud->fetchThumbnail("w5", address));
    QCOMPARE(m_web->requestCount(), kept ? 1 : 2);
}

void TestCloudDownloads::thumbnailOnDiskOrInvalidAddressMakesNoRequest()
{
    QFile onDisk(m_base->filePath("Cache/thumbnails/w6.jpg"));
    QVERIFY(onDisk.open(QIODevice::WriteOnly));
    onDisk.close();
    QCOMPARE(await(m_cloud->fetchThumbnail("w6", m_web->url("/t/w6.jpg").toString())),
        std::optional(QUrl::fromLocalFile(onDisk.fileName())));

    LogCapture log;
    QVERIFY(!await(m_cloud->fetchThumbnail("w7", QString())));
    QVERIFY(log.contains("Lanto CloudService: Invalid thumbnail URL for w7: "));
    QVERIFY(!await(m_cloud->fetchThumbnail("../w8", m_web->url("/t/w6.jpg").toString())));
    QCOMPARE(m_web->requestCount(), 0);
}

// Drafts' files are served to their owner only; no other host may see the token.
void TestCloudDownloads::filesCarryTheTokenToTheServiceOnly()
{
    TemporaryHome home;
    QVERIFY(SessionTokenStore::save("secret"));
    FakeWebService elsewhere;
    const QByteArray jpeg("\xff\xd8\xff\xe0", 4);
    m_web->on("GET", "/t/own.jpg", FakeReply::raw(200, jpeg, "image/jpeg"));
    m_web->on("GET", "/c/own.mov", FakeReply::raw(200, "video"));
    elsewhere.on("GET", "/t/other.jpg", FakeReply::raw(200, jpeg, "image/jpeg"));
    m_cloud->setServiceURL(m_web->baseURL());

    QVERIFY(await(m_cloud->fetchThumbnail("own", m_web->url("/t/own.jpg").toString())));
    QVERIFY(await(m_cloud->downloadContent("own", m_web->url("/c/own.mov").toString(), {})));
    QVERIFY(await(m_cloud->fetchThumbnail("other", elsewhere.url("/t/other.jpg").toString())));
    QCOMPARE(m_web->requestCount(), 2);
    for (const FakeRequest& request : m_web->requests())
        QCOMPARE(request.header("Authorization"), QByteArray("Bearer secret"));
    QCOMPARE(elsewhere.requestCount(), 1);
    QVERIFY(!elsewhere.requests().constFirst().hasHeader("Authorization"));
}

void TestCloudDownloads::largeDownloadStreamsWithFlatMemory()
{
    constexpr qint64 size = 200'000'000;
    QTemporaryFile source;
    QVERIFY(source.open());
    const QByteArray block(4 << 20, 'x');
    for (qint64 left = size; left > 0; left -= block.size())
        QVERIFY(source.write(block.constData(), qMin<qint64>(left, block.size())) > 0);
    source.flush();
    m_web->on("GET", "/c/big.mov", FakeReply::file(source.fileName()));

    const qint64 before = ProcessMemory::residentKB();
    ProcessMemory::resetPeak();
    const Result<QUrl> file = await(m_cloud->downloadContent("big", m_web->url("/c/big.mov").toString(), {}));
    QVERIFY(file);
    QCOMPARE(QFileInfo(file.value().toLocalFile()).size(), size);
    const qint64 growthMB = (ProcessMemory::peakKB() - before) / 1024;
    QVERIFY2(growthMB < 48, qPrintable(QString::number(growthMB) + " MB"));
}

QTEST_GUILESS_MAIN(TestCloudDownloads)
#include "tst_clouddownloads.moc"
