#include "AwaitFuture.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

using namespace std::chrono_literals;

// The fake service is what every service and library test stands on: check
// the behaviours those tests rely on without restating them.
class TestFakeWebService : public QObject
{
    Q_OBJECT

private slots:
    void queuedRepliesComeBeforeTheStandingOne();
    void signedInRoutesNeedTheBearerToken();
    void countsOpenRequests();
    void streamsBodiesBothWays();
};

namespace {

using Flags = QMap<QString, bool>;

QString outcome(const std::optional<Result<Flags>>& result)
{
    if (!result)
        return QStringLiteral("unfinished");
    return result->ok() ? QStringLiteral("ok") : result->error().description();
}

} // namespace

void TestFakeWebService::queuedRepliesComeBeforeTheStandingOne()
{
    TemporaryHome home;
    FakeWebService service;
    LantoAPIClient client(service.baseURL());
    service.once("POST", "wallpapers/a/apply", FakeReply::failure("first"));
    service.once("POST", "wallpapers/a/apply", FakeReply::raw(503, {}));
    service.on("POST", "wallpapers/a/apply", FakeReply::ok(QJsonObject { { "ok", true } }));
    QStringList seen;
    for (int i = 0; i < 4; ++i)
        seen << outcome(awaitFuture(client.post<Flags>("wallpapers/a/apply")));
    QCOMPARE(seen, (QStringList { "first", "HTTP error 503", "ok", "ok" }));
    QCOMPARE(outcome(awaitFuture(client.post<Flags>("nowhere"))), QStringLiteral("HTTP error 404"));
    QCOMPARE(service.requestCount("POST", "wallpapers/a/apply"), 4);
}

void TestFakeWebService::signedInRoutesNeedTheBearerToken()
{
    TemporaryHome home;
    FakeWebService service;
    LantoAPIClient client(service.baseURL());
    service.requireBearer("right");
    service.on("POST", "me/favorites/a", FakeReply::ok(QJsonObject { { "favorited", true } }));
    QVERIFY(SessionTokenStore::save("wrong"));
    QCOMPARE(outcome(awaitFuture(client.authorizedRequest<Flags>("POST", "me/favorites/a"))),
        QStringLiteral("HTTP error 401"));
    QVERIFY(SessionTokenStore::save("right"));
    QCOMPARE(outcome(awaitFuture(client.authorizedRequest<Flags>("POST", "me/favorites/a"))), QStringLiteral("ok"));
}

void TestFakeWebService::countsOpenRequests()
{
    TemporaryHome home;
    FakeWebService service;
    LantoAPIClient client(service.baseURL());
    service.on("POST", "slow", FakeReply::ok(QJsonObject {}).after(200ms));
    QList<QFuture<Result<Flags>>> inFlight;
    for (int i = 0; i < 3; ++i)
        inFlight << client.post<Flags>("slow");
    QTRY_COMPARE(service.openRequests(), 3);
    for (const auto& future : inFlight)
        QVERIFY(awaitFuture(future));
    QCOMPARE(service.openRequests(), 0);
    QCOMPARE(service.peakOpenRequests(), 3);
}

void TestFakeWebService::streamsBodiesBothWays()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    QByteArray content(3 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char(i * 7);
    file.write(content);
    file.flush();

    FakeWebService service;
    service.on("GET", "/content.mov", FakeReply::file(file.fileName()));
    service.on("PUT", "/upload", FakeReply::raw(200, "{}"));
    QNetworkAccessManager network;
    std::unique_ptr<QNetworkReply> download(network.get(QNetworkRequest(service.url("/content.mov"))));
    QTRY_VERIFY_WITH_TIMEOUT(download->isFinished(), 20000);
    QCOMPARE(download->readAll(), content);

    // An upload with Expect: 100-continue is let in at once.
    QNetworkRequest request(service.url("/upload"));
    request.setRawHeader("Expect", "100-continue");
    std::unique_ptr<QNetworkReply> upload(network.put(request, content));
    QTRY_VERIFY_WITH_TIMEOUT(upload->isFinished(), 20000);
    QCOMPARE(service.requests("PUT", "/upload").value(0).body, content);
}

QTEST_GUILESS_MAIN(TestFakeWebService)
#include "tst_fakewebservice.moc"
