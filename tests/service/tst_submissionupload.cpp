#include "AwaitFuture.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "LogCapture.h"
#include "NetworkMonitor.h"
#include "RawHTTPPeer.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"

#include <QtTest>

using namespace std::chrono_literals;

namespace {

constexpr qint64 MiB = 1024 * 1024;
const QString files = QStringLiteral("me/wallpapers/w1/files/content");

QByteArray pattern(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 4099) & 0xff);
    return bytes;
}

// The etag names the part; parts can be made to finish late.
FakeWebService::Handler partHandler(std::function<std::chrono::milliseconds(int)> delay = {})
{
    return [delay](const FakeRequest& request) {
        const int number = request.queryValue("partNumber").toInt();
        FakeReply reply = FakeReply::ok(QJsonObject { { "etag", QStringLiteral("etag-%1").arg(number) } });
        return delay ? reply.after(delay(number)) : reply;
    };
}

} // namespace

class TestSubmissionUpload : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void singleOrMultipartByFileSize_data();
    void singleOrMultipartByFileSize();
    void partsAreListedInOrderWhateverOrderTheyFinish();
    void neverMoreThanThreePartsInFlight();
    void transientFailuresAreRetried_data();
    void transientFailuresAreRetried();
    void droppedConnectionIsRetried();
    void statusFailuresAreNotRetried();
    void envelopeFallbackTexts_data();
    void envelopeFallbackTexts();
    void tokenRemovedAfterInitStopsTheParts();
    void unreadableFileSendsNothing();
    void uploadsThroughTheEnvironmentProxy();

private:
    QFuture<Result<Done>> upload(qint64 size, LantoAPIClient::ProgressCallback progress = {});
    Result<Done> awaitRetrying(QFuture<Result<Done>> future);

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeWebService> m_service;
    std::unique_ptr<VirtualScheduler> m_scheduler;
    NetworkMonitor m_connectivity;
    std::unique_ptr<LantoAPIClient> m_client;
    QByteArray m_content;
};

void TestSubmissionUpload::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_service = std::make_unique<FakeWebService>();
    m_scheduler = std::make_unique<VirtualScheduler>();
    m_client = std::make_unique<LantoAPIClient>(
        m_service->baseURL(), LantoAPIClient::Options { .idleTimeout = 5s, .retryScheduler = m_scheduler.get(), .connectivity = &m_connectivity });
    m_service->requireBearer("tok");
    QVERIFY(SessionTokenStore::save("tok"));
    m_service->on("PUT", files, FakeReply::ok(QJsonObject { { "uploaded", "content" } }));
    m_service->on(
        "POST", files + "/multipart-init", FakeReply::ok(QJsonObject { { "uploadId", "up 1" }, { "key", "k/ey&=1" } }));
    m_service->on("PUT", files + "/multipart-part", partHandler());
    m_service->on("POST", files + "/multipart-complete", FakeReply::ok(QJsonObject { { "uploaded", "content" } }));
}

void TestSubmissionUpload::cleanup()
{
    m_client.reset();
    m_service.reset();
    m_scheduler.reset();
    m_home.reset();
}

QFuture<Result<Done>> TestSubmissionUpload::upload(qint64 size, LantoAPIClient::ProgressCallback progress)
{
    m_content = pattern(size);
    const QString path = m_home->filePath("content.mov");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_content) != size)
        qFatal("cannot write the test file");
    file.close();
    return m_client->uploadSubmissionFile("w1", "content", path, "video/quicktime", std::move(progress));
}

// Runs the event loop, and the virtual clock whenever a retry waits on it.
Result<Done> TestSubmissionUpload::awaitRetrying(QFuture<Result<Done>> future)
{
    QDeadlineTimer deadline(30s);
    while (!future.isFinished() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (m_scheduler->pendingCount() > 0)
            m_scheduler->advance(1s);
    }
    if (!future.isFinished())
        qFatal("the upload did not finish");
    return future.result();
}

void TestSubmissionUpload::singleOrMultipartByFileSize_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QList<qint64>>("parts"); // empty: one PUT

    const qint64 threshold = 5 * MiB;
    QTest::newRow("just below 5 MiB") << threshold - 1 << QList<qint64> {};
    QTest::newRow("empty file") << qint64(0) << QList<qint64> {};
    QTest::newRow("exactly 5 MiB") << threshold << QList<qint64> { threshold };
    QTest::newRow("12 MiB") << 12 * MiB << QList<qint64> { threshold, threshold, 2 * MiB };
}

void TestSubmissionUpload::singleOrMultipartByFileSize()
{
    QFETCH(qint64, size);
    QFETCH(QList<qint64>, parts);

    QList<double> progress;
    const Result<Done> done = awaitRetrying(upload(size, [&](double fraction) { progress << fraction; }));
    QVERIFY2(done, qPrintable(done ? QString() : done.error().description()));

    if (parts.isEmpty()) {
        const QList<FakeRequest> requests = m_service->requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].method, QByteArray("PUT"));
        QCOMPARE(requests[0].header("Content-Type"), QByteArray("video/quicktime"));
        QCOMPARE(requests[0].body, m_content);
        QVERIFY(progress.isEmpty());
        return;
    }
    const QList<FakeRequest> init = m_service->requests("POST", files + "/multipart-init");
    QCOMPARE(init.size(), 1);
    QCOMPARE(init[0].header("Content-Type"), QByteArray("video/quicktime"));
    QCOMPARE(init[0].bodySize, 0);

    const QList<FakeRequest> sent = m_service->requests("PUT", files + "/multipart-part");
    QCOMPARE(sent.size(), parts.size());
    for (const FakeRequest& part : sent) {
        const int number = part.queryValue("partNumber").toInt();
        QCOMPARE(part.queryItems,
            (QList<std::pair<QString, QString>> {
                { "uploadId", "up 1" }, { "partNumber", QString::number(number) }, { "key", "k/ey&=1" } }));
        QCOMPARE(part.bodySize, parts[number - 1]);
        QCOMPARE(part.body, m_content.mid((number - 1) * 5 * MiB, parts[number - 1]));
        const QByteArrayList order { "Content-Type", "Authorization", "Accept", "X-Lanto-Client" };
        QCOMPARE(part.headerNames(order), order);
        QCOMPARE(part.header("Content-Type"), QByteArray("application/octet-stream"));
    }
    QCOMPARE(progress.size(), parts.size());
    QCOMPARE(progress.constLast(), 1.0);
    QCOMPARE(m_service->requests("POST", files + "/multipart-complete").size(), 1);
}

void TestSubmissionUpload::partsAreListedInOrderWhateverOrderTheyFinish()
{
    // Part 1 finishes last, part 3 first.
    m_service->on("PUT", files + "/multipart-part", partHandler([](int number) { return (4 - number) * 150ms; }));
    QList<double> progress;
    QVERIFY(awaitRetrying(upload(12 * MiB, [&](double fraction) { progress << fraction; })));
    QCOMPARE(progress, (QList<double> { 1.0 / 3, 2.0 / 3, 1.0 }));

    const FakeRequest complete = m_service->requests("POST", files + "/multipart-complete").constFirst();
    QCOMPARE(complete.header("Content-Type"), QByteArray("application/json"));
    QCOMPARE(complete.jsonBody(),
        (QJsonObject { { "uploadId", "up 1" }, { "key", "k/ey&=1" },
            { "parts",
                QJsonArray { QJsonObject { { "partNumber", 1 }, { "etag", "etag-1" } },
                    QJsonObject { { "partNumber", 2 }, { "etag", "etag-2" } },
                    QJsonObject { { "partNumber", 3 }, { "etag", "etag-3" } } } } }));
}

void TestSubmissionUpload::neverMoreThanThreePartsInFlight()
{
    m_service->on("PUT", files + "/multipart-part", partHandler([](int number) { return (number % 3 + 1) * 150ms; }));
    QVERIFY(awaitRetrying(upload(8 * 5 * MiB)));
    QCOMPARE(m_service->requests("PUT", files + "/multipart-part").size(), 8);
    QCOMPARE(m_service->peakOpenRequests(), 3);
}

void TestSubmissionUpload::transientFailuresAreRetried_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("timeouts");

    QTest::newRow("single PUT, 3 time-outs") << MiB << 3;
    QTest::newRow("single PUT, 8 time-outs") << MiB << 8;
    QTest::newRow("part, 3 time-outs") << 6 * MiB << 3;
}

void TestSubmissionUpload::transientFailuresAreRetried()
{
    QFETCH(qint64, size);
    QFETCH(int, timeouts);

    const bool multipart = size >= 5 * MiB;
    // A client that gives up on a silent service quickly; parts that do get answered
    // move megabytes, so on a busy machine they need longer than 200 ms between bytes.
    const auto idleTimeout = multipart ? 1000ms : 200ms;
    m_client = std::make_unique<LantoAPIClient>(
        m_service->baseURL(), LantoAPIClient::Options { .idleTimeout = idleTimeout, .retryScheduler = m_scheduler.get(), .connectivity = &m_connectivity });
    const QString path = multipart ? files + "/multipart-part" : files;
    // The first request of part 1 (or of the single PUT) goes unanswered `timeouts` times.
    int silent = timeouts;
    const FakeReply answer = multipart ? FakeReply() : FakeReply::ok(QJsonObject { { "uploaded", "content" } });
    m_service->on("PUT", path, [&, multipart](const FakeRequest& request) {
        const bool first = !multipart || request.queryValue("partNumber") == "1";
        if (first && silent > 0) {
            --silent;
            return FakeReply::stalled();
        }
        return multipart ? partHandler()(request) : answer;
    });
    LogCapture log;
    const Result<Done> done = awaitRetrying(upload(size));

    const QStringList delays { "0.3", "0.6", "0.9", "1.0", "1.0", "1.0", "1.0" };
    QStringList expected;
    for (int attempt = 1; attempt <= qMin(timeouts, 7); ++attempt)
        expected << QStringLiteral(
            "Lanto API: Transient error (The request timed out.), retrying in %1s (attempt %2/8)")
                        .arg(delays[attempt - 1])
                        .arg(attempt);
    QCOMPARE(log.lines(), expected);
    if (timeouts >= 8) {
        QVERIFY(!done);
        QCOMPARE(done.error().as<NetworkError>()->code, NetworkError::Code::timedOut);
        QCOMPARE(m_service->requestCount("PUT", path), 8 + (multipart ? 1 : 0));
    } else {
        QVERIFY(done);
        QCOMPARE(m_service->requestCount("PUT", path), timeouts + 1 + (multipart ? 1 : 0));
    }
}

void TestSubmissionUpload::droppedConnectionIsRetried()
{
    m_service->once("PUT", files, FakeReply::dropped());
    LogCapture log;
    QVERIFY(awaitRetrying(upload(MiB)));
    QCOMPARE(log.lines().size(), 1);
    QVERIFY(log.lines().constFirst().endsWith("retrying in 0.3s (attempt 1/8)"));
    QCOMPARE(m_service->requests("PUT", files).size(), 2);
    QCOMPARE(m_service->requests("PUT", files).constLast().body, m_content);
}

void TestSubmissionUpload::statusFailuresAreNotRetried()
{
    m_service->on("PUT", files + "/multipart-part", [](const FakeRequest& request) {
        return request.queryValue("partNumber") == "2" ? FakeReply::raw(500, {}) : partHandler()(request);
    });
    LogCapture log;
    const Result<Done> done = awaitRetrying(upload(12 * MiB));
    QVERIFY(!done);
    QVERIFY(done.error().isHTTPError(500));
    QVERIFY(log.lines().isEmpty());
    int secondPart = 0;
    for (const FakeRequest& request : m_service->requests("PUT", files + "/multipart-part"))
        secondPart += request.queryValue("partNumber") == "2";
    QCOMPARE(secondPart, 1);
    QCOMPARE(m_service->requestCount("POST", files + "/multipart-complete"), 0);
}

void TestSubmissionUpload::envelopeFallbackTexts_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("route");
    QTest::addColumn<FakeReply>("reply");
    QTest::addColumn<QString>("outcome"); // empty: success

    const QString part = files + "/multipart-part";
    QTest::newRow("single PUT ok without data") << MiB << files << FakeReply::okWithoutData() << QString();
    QTest::newRow("single PUT refused") << MiB << files << FakeReply::failure(QString()) << "Upload failed";
    QTest::newRow("single PUT 401") << MiB << files << FakeReply::failure("x", 401) << "HTTP error 401";
    QTest::newRow("init ok without data")
        << 6 * MiB << files + "/multipart-init" << FakeReply::okWithoutData() << "Multipart init failed";
    QTest::newRow("part ok false") << 6 * MiB << part << FakeReply::failure(QString()) << "Part upload failed";
    QTest::newRow("part ok without etag") << 6 * MiB << part << FakeReply::okWithoutData() << "Part upload failed";
    QTest::newRow("part refused with text") << 6 * MiB << part << FakeReply::failure("Quota") << "Quota";
    QTest::newRow("complete ok without data")
        << 6 * MiB << files + "/multipart-complete" << FakeReply::okWithoutData() << QString();
    QTest::newRow("complete refused") << 6 * MiB << files + "/multipart-complete" << FakeReply::failure(QString())
                                      << "Multipart complete failed";
}

void TestSubmissionUpload::envelopeFallbackTexts()
{
    QFETCH(qint64, size);
    QFETCH(QString, route);
    QFETCH(FakeReply, reply);
    QFETCH(QString, outcome);

    const QByteArray method = route.endsWith("init") || route.endsWith("complete") ? "POST" : "PUT";
    m_service->on(method, route, reply);
    const Result<Done> done = awaitRetrying(upload(size));
    QCOMPARE(done ? QString() : done.error().description(), outcome);
}

void TestSubmissionUpload::tokenRemovedAfterInitStopsTheParts()
{
    m_service->on("POST", files + "/multipart-init", [](const FakeRequest&) {
        SessionTokenStore::remove();
        return FakeReply::ok(QJsonObject { { "uploadId", "u" }, { "key", "k" } });
    });
    const Result<Done> done = awaitRetrying(upload(12 * MiB));
    QVERIFY(!done);
    QCOMPARE(done.error().description(), QStringLiteral("Not signed in"));
    QCOMPARE(m_service->requestCount("PUT", files + "/multipart-part"), 0);
    QCOMPARE(m_scheduler->performedCount(), 0); // not retried
}

void TestSubmissionUpload::unreadableFileSendsNothing()
{
    const Result<Done> done = awaitRetrying(
        m_client->uploadSubmissionFile("w1", "content", m_home->filePath("missing.mov"), "video/quicktime"));
    QVERIFY(!done);
    QVERIFY(done.error().as<FileError>());
    QCOMPARE(m_service->requestCount(), 0);
}

// Uploads take the proxy the environment names, as curl reads it.
void TestSubmissionUpload::uploadsThroughTheEnvironmentProxy()
{
    RawHTTPPeer proxy([](const RawHTTPPeer::Exchange&) {
        const QByteArray envelope = R"({"ok":true,"data":{"uploaded":"content"}})";
        return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(envelope.size()) + "\r\n\r\n" + envelope;
    });
    const QByteArray saved[] = { qgetenv("http_proxy"), qgetenv("no_proxy"), qgetenv("NO_PROXY") };
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(proxy.port()));
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
    // A host that does not resolve: only the proxy can take the upload.
    m_client = std::make_unique<LantoAPIClient>(QUrl("http://lanto-upload.invalid/api/v1"),
        LantoAPIClient::Options { .idleTimeout = 5s, .retryScheduler = m_scheduler.get(), .connectivity = &m_connectivity });
    const Result<Done> done = awaitRetrying(upload(MiB));
    qputenv("http_proxy", saved[0]);
    qputenv("no_proxy", saved[1]);
    qputenv("NO_PROXY", saved[2]);

    QVERIFY2(done, qPrintable(done ? QString() : done.error().description()));
    QCOMPARE(proxy.exchanges().size(), 1);
    const RawHTTPPeer::Exchange& sent = proxy.exchanges().constFirst();
    QCOMPARE(sent.requestLine(), QByteArray("PUT http://lanto-upload.invalid/api/v1/me/wallpapers/w1/files/content HTTP/1.1"));
    QVERIFY(sent.head.contains("\r\nAuthorization: Bearer tok\r\n"));
    QCOMPARE(sent.bodyBytes, MiB);
}

QTEST_GUILESS_MAIN(TestSubmissionUpload)
#include "tst_submissionupload.moc"
