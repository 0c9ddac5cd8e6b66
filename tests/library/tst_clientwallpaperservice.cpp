#include "AwaitFuture.h"
#include "ClientWallpaperService.h"
#include "CloudService.h"
#include "FakeWebService.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"

#include <QJsonObject>
#include <QTest>

using namespace std::chrono_literals;

// The library's service calls reach the endpoints they name.
class TestClientWallpaperService : public QObject
{
    Q_OBJECT

private slots:
    void callsReachTheirEndpoints()
    {
        TemporaryHome home;
        QVERIFY(SessionTokenStore::save("secret"));
        FakeWebService web;
        web.requireBearer("secret");
        LantoAPIClient client(web.baseURL(), LantoAPIClient::Options { .idleTimeout = 2s });
        CloudService cloud(home.appSupportPath());
        ClientWallpaperService service(client, cloud, [] { return true; });
        const QJsonObject flags { { "ok", true } };
        web.on("POST", "me/favorites/abc", FakeReply::ok(flags));
        web.on("DELETE", "me/favorites/abc", FakeReply::failure("Not a favourite"));
        web.on("POST", "wallpapers/abc/apply", FakeReply::ok(flags));
        web.on("DELETE", "me/wallpapers/abc", FakeReply::ok(flags));
        web.on("GET", "/content/abc.mov", FakeReply::raw(200, "movie", "video/quicktime"));

        QCOMPARE(awaitFuture(service.syncFavorite("abc", true)).value_or("unfinished"), std::optional<QString>());
        QCOMPARE(awaitFuture(service.syncFavorite("abc", false)).value_or("unfinished"), "Not a favourite");
        service.recordEvent(WallpaperService::UsageEvent::apply, "abc");
        service.withdrawSubmission("abc");
        QTRY_COMPARE(web.requestCount("POST", "wallpapers/abc/apply"), 1);
        QTRY_COMPARE(web.requestCount("DELETE", "me/wallpapers/abc"), 1);

        const auto downloaded
            = awaitFuture(service.downloadContent("abc", web.url("/content/abc.mov").toString(), {}, {}));
        QVERIFY(downloaded && downloaded->ok());
        QCOMPARE(downloaded->value->fileName(), "content.mov");
        QVERIFY(cloud.isDownloaded("abc"));
        const auto missing
            = awaitFuture(service.downloadContent("def", web.url("/content/def.mov").toString(), {}, {}));
        QVERIFY(missing && !missing->ok() && !missing->failure.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestClientWallpaperService)
#include "tst_clientwallpaperservice.moc"
