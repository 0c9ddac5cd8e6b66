#include "AwaitFuture.h"
#include "AuthAccount.h"
#include "ClientCatalogue.h"
#include "ClientWallpaperService.h"
#include "CloudService.h"
#include "FakeWebService.h"
#include "LantoSettings.h"
#include "LibraryRig.h"
#include "OrphanRecovery.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"
#include "WebAuthSession.h"

#include <QJsonArray>
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

    // The catalogue reads go out as the service's public reads; a signed-out
    // account gives the library nothing to match against.
    void catalogueReadsAndAccountReachTheirServices()
    {
        TemporaryHome home;
        FakeWebService web;
        LantoAPIClient client(web.baseURL(), LantoAPIClient::Options { .idleTimeout = 2s });
        CloudService cloud(home.appSupportPath());
        ClientCatalogue catalogue(client, cloud);
        const QJsonArray none;
        web.on("GET", "discover",
            FakeReply::ok(QJsonObject {
                { "featured", none }, { "todaysPicks", none }, { "trending", none }, { "newThisWeek", none } }));
        web.on("GET", "tags", FakeReply::ok(QJsonObject {}));

        const auto discover = awaitFuture(catalogue.fetchDiscover());
        QVERIFY(discover && *discover);
        const auto tags = awaitFuture(catalogue.fetchTags());
        QVERIFY(tags && *tags && tags->value().isEmpty());
        QCOMPARE(web.requestCount("GET", "discover"), 1);

        VirtualScheduler writes;
        LantoSettings settings(home.appSupportPath(), writes);
        AuthService auth(client, settings, WebAuthSession::system());
        const SignedInAccount account = AuthAccount(auth).currentAccount();
        QVERIFY(!account.profileId && !account.displayName && !account.avatarUrl);
    }

    // Orphan recovery asks the service for each stray folder, and for nothing when there is none.
    void orphansAreLookedUpAtTheService()
    {
        LibraryRig rig;
        WallpaperManager& library = rig.start();
        ClientCatalogue catalogue(rig.client, rig.cloud);
        OrphanRecovery recovery(library, catalogue, rig.downloads());
        rig.addFolder(hexId(5), "content.mov");
        rig.web.on("GET", "wallpapers/" + hexId(5), FakeReply::ok(catalogueRecord(hexId(5)).toJson()));

        QVERIFY(awaitFuture(recovery.reconcileOrphanedDownloads().then([] { return true; })));
        QCOMPARE(rig.web.requestCount("GET", "wallpapers/" + hexId(5)), 1);
        QCOMPARE(hexIDs(library.allWallpaperList().items()), QStringList { hexId(5) });
        rig.web.clearRequests();
        QVERIFY(recovery.reconcileOrphanedDownloads().isFinished());
        QCOMPARE(rig.web.requestCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestClientWallpaperService)
#include "tst_clientwallpaperservice.moc"
