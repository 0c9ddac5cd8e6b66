#include "AwaitFuture.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "LogCapture.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"

#include <QtTest>

namespace {

template <typename T> Result<T> await(QFuture<Result<T>> future)
{
    std::optional<Result<T>> result = awaitFuture(future);
    if (!result)
        qFatal("the request did not finish");
    return *result;
}

QJsonObject item(const QString& id)
{
    return QJsonObject {
        { "id", id },
        { "title", "T" },
        { "type", "image" },
        { "resolutionWidth", 1 },
        { "resolutionHeight", 1 },
        { "fileSize", 1 },
        { "thumbnailPath", "t" },
        { "contentPath", "c" },
        { "downloadCount", 0 },
        { "favoriteCount", 0 },
        { "applyCount", 0 },
        { "createdAt", "x" },
        { "updatedAt", "x" },
        { "profile", QJsonObject { { "id", "p" }, { "isVerified", false } } },
        { "category", QJsonObject { { "id", "c" }, { "name", "Nature" }, { "icon", "i" } } },
        { "tags", QJsonArray {} },
    };
}

// A page of `count` items whose ids tell the page apart, or repeat page 1's when `repeat`.
FakeReply page(int number, int count, bool repeat = false)
{
    QJsonArray items;
    for (int i = 0; i < count; ++i)
        items.append(item(QStringLiteral("p%1i%2").arg(repeat ? 1 : number).arg(i)));
    return FakeReply::ok(QJsonObject { { "wallpapers", items }, { "page", number } });
}

const QJsonObject profile { { "id", "u1" }, { "name", "Ada" }, { "isVerified", false }, { "wallpaperCount", 0 },
    { "followerCount", 0 }, { "createdAt", "2024-01-01" } };

} // namespace

class TestEndpoints : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void categoryPaging_data();
    void categoryPaging();
    void categoryPagingEndsWhenTheServiceIgnoresPage();
    void categoryPagingHasACap();
    void profileChangesSendOnlyTheirFields_data();
    void profileChangesSendOnlyTheirFields();
    void handleCheck();
    void avatarUpload_data();
    void avatarUpload();
    void avatarUploadNeedsAToken();
    void usageEventIsAnAnonymousPostWithoutBody();
    void endpointsAddressTheirPaths();
    void droppedResultsStillNeedAnEnvelope();

private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<FakeWebService> m_service;
    std::unique_ptr<LantoAPIClient> m_client;
};

void TestEndpoints::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_service = std::make_unique<FakeWebService>();
    m_client = std::make_unique<LantoAPIClient>(m_service->baseURL());
    m_service->requireBearer("tok");
    QVERIFY(SessionTokenStore::save("tok"));
}

void TestEndpoints::cleanup()
{
    m_client.reset();
    m_service.reset();
    m_home.reset();
}

void TestEndpoints::categoryPaging_data()
{
    QTest::addColumn<QList<int>>("pageSizes"); // what the service has, page by page
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("items");

    QTest::newRow("20+20+0") << QList<int> { 20, 20, 0 } << 3 << 40;
    QTest::newRow("exactly 20") << QList<int> { 20, 0 } << 2 << 20;
    QTest::newRow("19") << QList<int> { 19 } << 1 << 19;
    QTest::newRow("empty") << QList<int> { 0 } << 1 << 0;
    QTest::newRow("20+20+5") << QList<int> { 20, 20, 5 } << 3 << 45;
}

void TestEndpoints::categoryPaging()
{
    QFETCH(QList<int>, pageSizes);
    QFETCH(int, requests);
    QFETCH(int, items);

    m_service->on("GET", "wallpapers", [&](const FakeRequest& request) {
        const int number = request.hasQueryItem("page") ? request.queryValue("page").toInt() : 1;
        return page(number, pageSizes.value(number - 1, 0));
    });
    const Result<QList<APIWallpaper>> listing = await(m_client->fetchWallpapers("nature"));
    QVERIFY(listing);
    QCOMPARE(listing.value().size(), items);
    const QList<FakeRequest> sent = m_service->requests();
    QCOMPARE(sent.size(), requests);
    QCOMPARE(sent[0].target, QByteArray("/api/v1/wallpapers?category=nature")); // no page on the first
    for (int i = 1; i < sent.size(); ++i)
        QCOMPARE(sent[i].queryItems,
            (LantoAPIClient::QueryItems { { "category", "nature" }, { "page", QString::number(i + 1) } }));
    if (items > 0)
        QCOMPARE(listing.value().constLast().id,
            QStringLiteral("p%1i%2").arg(requests - (items % 20 ? 0 : 1)).arg((items - 1) % 20));

    // One failed page fails the listing; nothing partial comes back.
    m_service->once("GET", "wallpapers", page(1, 20));
    m_service->once("GET", "wallpapers", FakeReply::raw(500, {}));
    const Result<QList<APIWallpaper>> broken = await(m_client->fetchWallpapers("nature"));
    QVERIFY(!broken);
    QVERIFY(broken.error().isHTTPError(500));
}

void TestEndpoints::categoryPagingEndsWhenTheServiceIgnoresPage()
{
    LogCapture log;
    m_service->on("GET", "wallpapers", page(1, 20, true));
    const Result<QList<APIWallpaper>> listing = await(m_client->fetchWallpapers("space"));
    QVERIFY(listing);
    QCOMPARE(listing.value().size(), 20); // the repeat is not added again
    QCOMPARE(m_service->requestCount(), 2);
    QVERIFY(log.contains("Lanto API: Category space repeated page 1, listing ends there"));
}

void TestEndpoints::categoryPagingHasACap()
{
    m_service->on("GET", "wallpapers", [](const FakeRequest& request) {
        return page(request.hasQueryItem("page") ? request.queryValue("page").toInt() : 1, 20);
    });
    const Result<QList<APIWallpaper>> listing = await(m_client->fetchWallpapers("space"));
    QVERIFY(listing);
    QCOMPARE(m_service->requestCount(), LantoAPIClient::maximumCategoryPages);
    QCOMPARE(listing.value().size(), 20 * LantoAPIClient::maximumCategoryPages);
}

void TestEndpoints::profileChangesSendOnlyTheirFields_data()
{
    QTest::addColumn<ProfileChanges>("changes");
    QTest::addColumn<QByteArray>("body");

    ProfileChanges name;
    name.name = "Ada";
    ProfileChanges handle;
    handle.handle = "ada";
    QTest::newRow("name") << name << QByteArray(R"({"name":"Ada"})");
    QTest::newRow("handle") << handle << QByteArray(R"({"handle":"ada"})");
    QTest::newRow("nothing") << ProfileChanges() << QByteArray("{}");
}

void TestEndpoints::profileChangesSendOnlyTheirFields()
{
    QFETCH(ProfileChanges, changes);
    QFETCH(QByteArray, body);

    m_service->on("PATCH", "me", FakeReply::ok(profile));
    QVERIFY(await(m_client->updateProfile(changes)));
    QCOMPARE(m_service->requests().constFirst().body, body);
}

void TestEndpoints::handleCheck()
{
    m_service->on("GET", "handles/check", FakeReply::ok(QJsonObject { { "available", false } }));
    const Result<HandleAvailability> answer = await(m_client->checkHandle("a b"));
    QVERIFY(answer);
    QVERIFY(!answer.value().available);
    QVERIFY(!answer.value().reason);
    QCOMPARE(m_service->requests().constFirst().queryValue("handle"), QStringLiteral("a b"));
}

void TestEndpoints::avatarUpload_data()
{
    QTest::addColumn<FakeReply>("reply");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("ok") << FakeReply::ok(QJsonObject { { "avatarUrl", "https://cdn/a.jpg" } }) << "https://cdn/a.jpg";
    QTest::newRow("ok without data") << FakeReply::okWithoutData() << "Upload failed";
    QTest::newRow("refused with text") << FakeReply::failure("Too large") << "Too large";
    QTest::newRow("refused without text") << FakeReply::failure(QString()) << "Upload failed";
    QTest::newRow("413") << FakeReply::failure("Too large", 413) << "HTTP error 413";
}

void TestEndpoints::avatarUpload()
{
    QFETCH(FakeReply, reply);
    QFETCH(QString, outcome);

    m_service->on("POST", "me/avatar", reply);
    const Result<QString> uploaded = await(m_client->uploadAvatar("\xff\xd8jpeg", "image/jpeg"));
    QCOMPARE(uploaded ? uploaded.value() : uploaded.error().description(), outcome);

    const FakeRequest request = m_service->requests().constFirst();
    QCOMPARE(request.body, QByteArray("\xff\xd8jpeg"));
    QCOMPARE(request.header("Content-Type"), QByteArray("image/jpeg"));
    QCOMPARE(request.header("Authorization"), QByteArray("Bearer tok"));
    QVERIFY(!request.hasHeader("Accept"));
    QVERIFY(!request.hasHeader("X-Lanto-Client"));
    QVERIFY(request.headerNames().indexOf("Content-Type") < request.headerNames().indexOf("Authorization"));
}

void TestEndpoints::avatarUploadNeedsAToken()
{
    SessionTokenStore::remove();
    const Result<QString> uploaded = await(m_client->uploadAvatar("x", "image/jpeg"));
    QCOMPARE(uploaded.error().description(), QStringLiteral("Not signed in"));
    QCOMPARE(m_service->requestCount(), 0);
}

void TestEndpoints::usageEventIsAnAnonymousPostWithoutBody()
{
    m_service->on("POST", "wallpapers/abc/apply", FakeReply::ok(QJsonObject { { "counted", true } }));
    QVERIFY(await(m_client->recordEvent(LantoAPIClient::UsageEvent::apply, "abc")));
    const FakeRequest request = m_service->requests().constFirst();
    QCOMPARE(request.target, QByteArray("/api/v1/wallpapers/abc/apply"));
    QCOMPARE(request.bodySize, 0);
    QVERIFY(!request.hasHeader("Authorization"));
    QVERIFY(!request.hasHeader("Content-Type"));
}

void TestEndpoints::endpointsAddressTheirPaths()
{
    const QJsonObject flags { { "done", true } };
    m_service->setFallback([&](const FakeRequest& request) {
        if (request.path.endsWith("/submit"))
            return FakeReply::ok(QJsonObject { { "submitted", true } });
        if (request.method == "DELETE" && request.path.contains("/me/wallpapers/"))
            return FakeReply::ok(QJsonObject { { "deleted", true } });
        if (request.path.endsWith("/wallpapers") && request.path.contains("profiles"))
            return FakeReply::ok(QJsonObject { { "wallpapers", QJsonArray {} }, { "page", 1 } });
        if (request.path == "/api/v1/me/wallpapers" && request.method == "POST")
            return FakeReply::ok(QJsonObject { { "id", "new" }, { "status", "uploading" } });
        if (request.path == "/api/v1/tags")
            return FakeReply::ok(QJsonObject { { "Mood", QJsonArray {} } });
        return FakeReply::ok(flags);
    });
    QVERIFY(await(m_client->addFavorite("w1")));
    QVERIFY(await(m_client->removeFavorite("w1")));
    QVERIFY(await(m_client->submitSubmission("s1")));
    QVERIFY(await(m_client->deleteSubmission("s1")));
    QVERIFY(await(m_client->fetchProfileWallpapers("p1", 1)));
    QCOMPARE(await(m_client->createSubmission(SubmissionCreate { "T", "nature", "video", 1, 2, 3 })).value().id,
        QStringLiteral("new"));
    QVERIFY(await(m_client->fetchTags()).value().contains("Mood"));

    QStringList seen;
    for (const FakeRequest& request : m_service->requests())
        seen << QString::fromLatin1(request.method + ' ' + request.target);
    QCOMPARE(seen,
        (QStringList { "POST /api/v1/me/favorites/w1", "DELETE /api/v1/me/favorites/w1",
            "POST /api/v1/me/wallpapers/s1/submit", "DELETE /api/v1/me/wallpapers/s1",
            "GET /api/v1/profiles/p1/wallpapers?page=1", "POST /api/v1/me/wallpapers", "GET /api/v1/tags" }));
    QCOMPARE(m_service->requests()[5].jsonBody().value("fileSize").toInteger(), 3);
}

void TestEndpoints::droppedResultsStillNeedAnEnvelope()
{
    m_service->on("POST", "me/wallpapers/s1/submit", FakeReply::raw(200, "not json"));
    const Result<Done> submitted = await(m_client->submitSubmission("s1"));
    QVERIFY(!submitted);
    QVERIFY(submitted.error().as<DecodingError>());
}

QTEST_GUILESS_MAIN(TestEndpoints)
#include "tst_endpoints.moc"
