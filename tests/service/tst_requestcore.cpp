#include "AwaitFuture.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"

#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QJsonObject profile { { "id", "u1" }, { "name", "Ada" }, { "isVerified", false }, { "wallpaperCount", 0 },
    { "followerCount", 0 }, { "createdAt", "2024-01-01" } };

using Flags = QMap<QString, bool>;

template <typename T> Result<T> await(QFuture<Result<T>> future)
{
    std::optional<Result<T>> result = awaitFuture(future);
    if (!result)
        qFatal("the request did not finish");
    return *result;
}

// The headers this client sets, in the order sent.
QByteArrayList ours(const FakeRequest& request)
{
    return request.headerNames({ "Accept", "X-Lanto-Client", "Authorization", "Content-Type" });
}

} // namespace

class TestRequestCore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void authorizedRequestHeadersAndBody();
    void publicCallsNeverCarryTheToken();
    void withoutTokenNothingIsSent();
    void tokenIsReadForEveryRequest();
    void replyJudging_data();
    void replyJudging();
    void queryItems_data();
    void queryItems();
    void pathsAreEncoded();
    void transferFailures();
    void idleTimeout();
    void redirects_data();
    void redirects();

private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeWebService> m_service;
    std::unique_ptr<LantoAPIClient> m_client;
};

void TestRequestCore::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_service = std::make_unique<FakeWebService>();
    QVERIFY(m_service->isListening());
    m_client = std::make_unique<LantoAPIClient>(m_service->baseURL(), LantoAPIClient::Options { .idleTimeout = 2s });
    m_service->requireBearer("secret");
    QVERIFY(SessionTokenStore::save("secret"));
}

void TestRequestCore::cleanup()
{
    m_client.reset();
    m_service.reset();
    m_home.reset();
}

void TestRequestCore::authorizedRequestHeadersAndBody()
{
    m_service->on("PATCH", "me", FakeReply::ok(profile));
    const Result<UserProfile> changed
        = await(m_client->authorizedRequest<UserProfile>("PATCH", "me", QJsonObject { { "name", "Ada" } }));
    QVERIFY2(changed, qPrintable(changed ? QString() : changed.error().description()));
    QCOMPARE(changed.value().name, QStringLiteral("Ada"));

    const FakeRequest request = m_service->requests().constFirst();
    QCOMPARE(request.method, QByteArray("PATCH"));
    QCOMPARE(request.target, QByteArray("/api/v1/me"));
    QCOMPARE(ours(request), (QByteArrayList { "Accept", "X-Lanto-Client", "Authorization", "Content-Type" }));
    QCOMPARE(request.header("Accept"), QByteArray("application/json"));
    QCOMPARE(request.header("X-Lanto-Client"), QByteArray("lanto-macos"));
    QCOMPARE(request.header("Authorization"), QByteArray("Bearer secret"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
    QCOMPARE(request.body, QByteArray(R"({"name":"Ada"})"));

    // Without a body: no Content-Type and no bytes.
    m_service->on("POST", "me/favorites/abc", FakeReply::ok(QJsonObject { { "favorited", true } }));
    QVERIFY(await(m_client->authorizedRequest<Flags>("POST", "me/favorites/abc")));
    const FakeRequest bare = m_service->requests().constLast();
    QCOMPARE(ours(bare), (QByteArrayList { "Accept", "X-Lanto-Client", "Authorization" }));
    QCOMPARE(bare.bodySize, 0);
}

void TestRequestCore::publicCallsNeverCarryTheToken()
{
    m_service->on("GET", "wallpapers/abc", FakeReply::failure("gone"));
    m_service->on("POST", "wallpapers/abc/apply", FakeReply::ok(QJsonObject { { "recorded", true } }));
    QVERIFY(!await(m_client->publicGet<APIWallpaper>("wallpapers/abc")));
    QVERIFY(await(m_client->post<Flags>("wallpapers/abc/apply")));
    m_service->on("POST", "auth/exchange", FakeReply::failure("bad code"));
    QVERIFY(!await(m_client->post<AuthCodeExchangeResponse>("auth/exchange", QJsonObject { { "code", "c" } })));

    const QList<FakeRequest> requests = m_service->requests();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(ours(requests[0]), (QByteArrayList { "Accept", "X-Lanto-Client" }));
    QCOMPARE(ours(requests[1]), (QByteArrayList { "Accept", "X-Lanto-Client" }));
    QCOMPARE(requests[1].method, QByteArray("POST"));
    QCOMPARE(requests[1].bodySize, 0);
    QCOMPARE(ours(requests[2]), (QByteArrayList { "Accept", "X-Lanto-Client", "Content-Type" }));
    QCOMPARE(requests[2].jsonBody(), (QJsonObject { { "code", "c" } }));
}

void TestRequestCore::withoutTokenNothingIsSent()
{
    SessionTokenStore::remove();
    const Result<UserProfile> result = await(m_client->authorizedRequest<UserProfile>("GET", "me"));
    QVERIFY(!result);
    QCOMPARE(result.error(), ServiceError(APIError::serverError("Not signed in")));
    QCOMPARE(m_service->requestCount(), 0);
}

void TestRequestCore::tokenIsReadForEveryRequest()
{
    m_service->requireBearer({});
    m_service->on("GET", "me", FakeReply::ok(profile));
    QVERIFY(await(m_client->authorizedRequest<UserProfile>("GET", "me")));
    QVERIFY(SessionTokenStore::save("rotated"));
    QVERIFY(await(m_client->authorizedRequest<UserProfile>("GET", "me")));
    SessionTokenStore::remove();
    QVERIFY(!await(m_client->authorizedRequest<UserProfile>("GET", "me")));

    const QList<FakeRequest> requests = m_service->requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].header("Authorization"), QByteArray("Bearer secret"));
    QCOMPARE(requests[1].header("Authorization"), QByteArray("Bearer rotated"));
}

void TestRequestCore::replyJudging_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("failure"); // empty: the payload comes back
    QTest::addColumn<bool>("decodingError");

    const QByteArray valid = QJsonDocument(QJsonObject { { "ok", true }, { "data", profile } }).toJson();
    const QByteArray refused = R"({"ok":false,"error":"Nope","data":null})";
    QTest::newRow("200 ok with data") << 200 << valid << QString() << false;
    QTest::newRow("201 ok with data") << 201 << valid << QString() << false;
    QTest::newRow("200 ok without data") << 200 << QByteArray(R"({"ok":true})") << "Unknown error" << false;
    QTest::newRow("200 ok false with data")
        << 200 << QJsonDocument(QJsonObject { { "ok", false }, { "data", profile } }).toJson() << "Unknown error"
        << false;
    QTest::newRow("200 ok false with error") << 200 << refused << "Nope" << false;
    QTest::newRow("404 with a valid envelope") << 404 << refused << "HTTP error 404" << false;
    QTest::newRow("400") << 400 << refused << "HTTP error 400" << false;
    QTest::newRow("401") << 401 << refused << "HTTP error 401" << false;
    QTest::newRow("500 with a valid payload") << 500 << valid << "HTTP error 500" << false;
    QTest::newRow("300") << 300 << valid << "HTTP error 300" << false;
    QTest::newRow("204 empty") << 204 << QByteArray() << QString() << true;
    QTest::newRow("200 html") << 200 << QByteArray("<html></html>") << QString() << true;
    QTest::newRow("200 without ok") << 200 << QByteArray(R"({"data":{}})") << QString() << true;
}

void TestRequestCore::replyJudging()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, failure);
    QFETCH(bool, decodingError);

    m_service->on("GET", "me", FakeReply::raw(status, body));
    m_service->on("GET", "discover", FakeReply::raw(status, body));
    // The authorised and the public reads judge alike.
    const Result<UserProfile> authorized = await(m_client->authorizedRequest<UserProfile>("GET", "me"));
    const Result<UserProfile> publicRead = await(m_client->publicGet<UserProfile>("discover"));
    for (const Result<UserProfile>& result : { authorized, publicRead }) {
        if (decodingError) {
            QVERIFY(!result);
            QVERIFY(result.error().as<DecodingError>());
        } else if (failure.isEmpty()) {
            QVERIFY(result);
            QCOMPARE(result.value().id, QStringLiteral("u1"));
        } else {
            QVERIFY(!result);
            QVERIFY(result.error().as<APIError>());
            QCOMPARE(result.error().description(), failure);
            if (status != 200)
                QVERIFY(result.error().isHTTPError(status));
        }
    }
}

void TestRequestCore::queryItems_data()
{
    QTest::addColumn<LantoAPIClient::QueryItems>("items");
    QTest::addColumn<QByteArray>("target");

    QTest::newRow("none") << LantoAPIClient::QueryItems {} << QByteArray("/api/v1/wallpapers");
    QTest::newRow("two, in order") << LantoAPIClient::QueryItems { { "category", "nature" }, { "page", "2" } }
                                   << QByteArray("/api/v1/wallpapers?category=nature&page=2");
    QTest::newRow("reversed") << LantoAPIClient::QueryItems { { "page", "2" }, { "category", "nature" } }
                              << QByteArray("/api/v1/wallpapers?page=2&category=nature");
    QTest::newRow("reserved characters") << LantoAPIClient::QueryItems { { "handle", "a&b=c+d é" } }
                                         << QByteArray("/api/v1/wallpapers?handle=a%26b%3Dc%2Bd%20%C3%A9");
}

void TestRequestCore::queryItems()
{
    QFETCH(LantoAPIClient::QueryItems, items);
    QFETCH(QByteArray, target);

    m_service->on("GET", "wallpapers", FakeReply::ok(QJsonObject { { "wallpapers", QJsonArray {} }, { "page", 1 } }));
    QVERIFY(await(m_client->publicGet<WallpapersResponse>("wallpapers", items)));
    const FakeRequest request = m_service->requests().constFirst();
    QCOMPARE(request.target, target);
    QCOMPARE(request.queryItems, items);
}

void TestRequestCore::pathsAreEncoded()
{
    m_service->setFallback([](const FakeRequest&) { return FakeReply::ok(QJsonObject { { "deleted", true } }); });
    QVERIFY(await(m_client->authorizedRequest<SubmissionDeleteResponse>("DELETE", "me/wallpapers/a b?c#d")));
    const FakeRequest request = m_service->requests().constFirst();
    QCOMPARE(request.target, QByteArray("/api/v1/me/wallpapers/a%20b%3Fc%23d"));
    QCOMPARE(request.path, QStringLiteral("/api/v1/me/wallpapers/a b?c#d"));
}

void TestRequestCore::transferFailures()
{
    m_service->on("GET", "discover", FakeReply::dropped());
    const Result<DiscoverResponse> dropped = await(m_client->publicGet<DiscoverResponse>("discover"));
    QVERIFY(!dropped);
    QVERIFY(dropped.error().as<NetworkError>());
    QCOMPARE(dropped.error().as<NetworkError>()->code, NetworkError::Code::networkConnectionLost);
    QVERIFY(dropped.error().isTransient());

    // A port nobody listens on any more.
    QUrl closed;
    {
        FakeWebService gone;
        closed = gone.baseURL();
    }
    LantoAPIClient unreachable(closed, LantoAPIClient::Options { .idleTimeout = 2s });
    const Result<DiscoverResponse> refused = await(unreachable.publicGet<DiscoverResponse>("discover"));
    QVERIFY(!refused);
    QCOMPARE(refused.error().as<NetworkError>()->code, NetworkError::Code::cannotConnectToHost);
    QVERIFY(refused.error().isTransient());
}

void TestRequestCore::idleTimeout()
{
    LantoAPIClient impatient(m_service->baseURL(), LantoAPIClient::Options { .idleTimeout = 300ms });
    m_service->on("GET", "discover", FakeReply::stalled());
    QElapsedTimer clock;
    clock.start();
    const Result<DiscoverResponse> stalled = await(impatient.publicGet<DiscoverResponse>("discover"));
    QVERIFY(!stalled);
    QCOMPARE(stalled.error().as<NetworkError>()->code, NetworkError::Code::timedOut);
    QVERIFY(stalled.error().isTransient());
    QCOMPARE(stalled.error().description(), QStringLiteral("The request timed out."));
    QVERIFY(clock.elapsed() >= 300);

    // A reply that comes inside the time-out is taken.
    m_service->on("GET", "me", FakeReply::ok(profile).after(50ms));
    QVERIFY(await(impatient.authorizedRequest<UserProfile>("GET", "me")));
}

void TestRequestCore::redirects_data()
{
    QTest::addColumn<bool>("sameOrigin");
    QTest::addColumn<bool>("authorized");

    QTest::newRow("authorised, elsewhere") << false << true;
    QTest::newRow("authorised, same origin") << true << true;
    QTest::newRow("public, elsewhere") << false << false;
}

void TestRequestCore::redirects()
{
    QFETCH(bool, sameOrigin);
    QFETCH(bool, authorized);

    FakeWebService elsewhere;
    FakeWebService& target = sameOrigin ? *m_service : elsewhere;
    target.on("GET", "/moved", FakeReply::ok(profile));
    m_service->on("GET", "me", FakeReply::redirect(target.url("/moved")));
    m_service->on("GET", "discover", FakeReply::redirect(target.url("/moved")));

    const Result<UserProfile> result = authorized ? await(m_client->authorizedRequest<UserProfile>("GET", "me"))
                                                  : await(m_client->publicGet<UserProfile>("discover"));
    const QList<FakeRequest> arrived = target.requests("GET", "/moved");
    if (authorized && !sameOrigin) {
        // The token must not follow the request to another origin.
        QVERIFY(!result);
        QCOMPARE(result.error().as<NetworkError>()->code, NetworkError::Code::redirectRefused);
        QVERIFY(!result.error().isTransient());
        QCOMPARE(arrived.size(), 0);
        return;
    }
    QVERIFY(result);
    QCOMPARE(arrived.size(), 1);
    QCOMPARE(arrived[0].hasHeader("Authorization"), authorized);
}

QTEST_GUILESS_MAIN(TestRequestCore)
#include "tst_requestcore.moc"
