#include "AppState.h"
#include "AuthService.h"
#include "FavoritesVisibility.h"
#include "LibraryRig.h"
#include "LogCapture.h"
#include "ProfileFixtures.h"
#include "ProfileTabs.h"
#include "SessionTokenStore.h"
#include "WebAuthSession.h"

#include <QTest>

// The own profile's tabs over the library rig, signed in as one profile.
class ProfileTabsTest : public QObject
{
    Q_OBJECT

    class Browser final : public WebAuthSession
    {
    public:
        bool open(const QUrl&) override { return true; }
    };

    struct Rig
    {
        ProfileTabs::Services services() { return { library.manager.get(), &auth, &state, &library.client }; }

        // The account the service restores from, stored before it is made.
        bool signIn()
        {
            library.settings.set(SettingsKey::appleUserID, PlistValue(QStringLiteral("apple-1")));
            library.settings.set(SettingsKey::profileId, PlistValue(profileId));
            library.settings.set(SettingsKey::appleDisplayName, PlistValue(QStringLiteral("Ada King")));
            library.web.on("GET", "me", FakeReply::failure("not now", 500));
            return SessionTokenStore::save(QStringLiteral("token"));
        }

        const QString profileId = QStringLiteral("00112233445566778899aabb");
        LibraryRig library;
        bool signedIn = signIn();
        Browser browser;
        AuthService auth { library.client, library.settings, browser };
        AppState state { library.scheduler };
    };

private slots:
    void buildsTheThreeLists()
    {
        Rig rig;
        rig.library.addLocalItem("0a1"); // own upload
        rig.library.addLocalItem(hexId(7)); // also listed by the service: shown once
        rig.library.addFolder(hexId(1), "content.mov"); // a download
        servePages(rig.library.web, rig.profileId, { 20, 2 }); // ids 1..22; 7 is the local one
        WallpaperManager& manager = rig.library.start();
        QTRY_VERIFY(manager.isStarted());
        manager.mergeIntoLibrary({ catalogueItem(1), catalogueItem(2) }).waitForFinished();
        manager.toggleFavorite(catalogueItem(2));

        ProfileTabs tabs(rig.services(), nullptr);
        QCOMPARE(tabs.selectedTabName(), QString("Downloads"));
        QTRY_COMPARE(hexIDs(tabs.currentWallpapers().items()), QStringList { hexId(1) });
        QVERIFY(tabs.canSelect());

        tabs.selectTab("Favorites");
        QCOMPARE(hexIDs(tabs.currentWallpapers().items()), QStringList { hexId(2) });
        QVERIFY(!tabs.canSelect());

        tabs.selectTab("Uploads");
        QTRY_COMPARE(tabs.currentCount(), 2 + 21);
        const QList<Wallpaper>& uploads = tabs.currentWallpapers().items();
        QCOMPARE(uploads.at(0).hexID(), QString("0a1"));
        QCOMPARE(uploads.at(0).creator().name, QString("Ada King"));
        QCOMPARE(uploads.at(0).creator().serverProfileId, rig.profileId);
        QCOMPARE(uploads.at(1).hexID(), hexId(7));
        QCOMPARE(uploads.at(2).hexID(), hexId(1));
        QCOMPARE(hexIDs(uploads).count(hexId(7)), 1);
        QCOMPARE(rig.library.web.requestCount("GET", "profiles/" + rig.profileId + "/wallpapers"), 2);

        // Each rebuild hands every tab's pictures to the cards' cache: downloads,
        // favourites, then uploads (an empty tab is skipped).
        const QList<QList<Wallpaper>> prefetched = rig.library.cardPrefetches.mid(rig.library.cardPrefetches.size() - 3);
        QCOMPARE(hexIDs(prefetched.at(0)), QStringList { hexId(1) });
        QCOMPARE(hexIDs(prefetched.at(1)), QStringList { hexId(2) });
        QCOMPARE(hexIDs(prefetched.at(2)), hexIDs(uploads));
    }

    void aFailedFetchLeavesTheLocalUploads()
    {
        Rig rig;
        rig.library.addLocalItem("0a1");
        rig.library.web.on("GET", "profiles/" + rig.profileId + "/wallpapers", FakeReply::failure("down", 503));
        WallpaperManager& manager = rig.library.start();
        QTRY_VERIFY(manager.isStarted());
        LogCapture log;
        ProfileTabs tabs(rig.services(), nullptr);
        tabs.selectTab("Uploads");
        QTRY_VERIFY(log.contains("Lanto: Failed to fetch server uploads: HTTP error 503"));
        QCOMPARE(hexIDs(tabs.currentWallpapers().items()), QStringList { "0a1" });
    }

    void removesTheSelectionOnceConfirmed()
    {
        Rig rig;
        rig.library.addFolder(hexId(1), "content.mov");
        rig.library.addFolder(hexId(2), "content.mov");
        WallpaperManager& manager = rig.library.start();
        QTRY_VERIFY(manager.isStarted());
        manager.mergeIntoLibrary({ catalogueItem(1), catalogueItem(2) }).waitForFinished();
        ProfileTabs tabs(rig.services(), nullptr);
        QTRY_COMPARE(tabs.currentCount(), 2);

        tabs.toggleSelectMode();
        tabs.toggleSelection(catalogueItem(2).idText());
        tabs.toggleSelection(catalogueItem(1).idText());
        tabs.toggleSelection(catalogueItem(1).idText());
        QCOMPARE(tabs.selectedIdTexts(), QStringList { catalogueItem(2).idText() });
        tabs.removeSelected();
        QVERIFY(rig.state.hasDeleteConfirmation());
        QCOMPARE(rig.state.deleteConfirmation()->wallpapers, QList<Wallpaper> { catalogueItem(2) });
        QVERIFY(tabs.isSelectMode()); // nothing happens until the user confirms

        rig.state.confirmDeletion();
        QVERIFY(!tabs.isSelectMode());
        QVERIFY(!QFileInfo::exists(rig.library.downloads() + "/" + hexId(2)));
        QTRY_COMPARE(hexIDs(tabs.currentWallpapers().items()), QStringList { hexId(1) });
    }

    void choosingATabLeavesSelectMode()
    {
        Rig rig;
        rig.library.start();
        ProfileTabs tabs(rig.services(), nullptr);
        tabs.toggleSelectMode();
        tabs.toggleSelection(QUuid::createUuid().toString());
        tabs.selectTab("Downloads");
        QVERIFY(!tabs.isSelectMode());
        QVERIFY(tabs.selectedIdTexts().isEmpty());
    }

    void favoritesVisibilityIsRemembered()
    {
        Rig rig;
        FavoritesVisibility first(&rig.library.settings, nullptr);
        QVERIFY(!first.isPublic());
        first.toggle();
        QVERIFY(rig.library.settings.boolValue(SettingsKey::favoritesPublic, false));
        QVERIFY(FavoritesVisibility(&rig.library.settings, nullptr).isPublic());
    }
};

QTEST_GUILESS_MAIN(ProfileTabsTest)
#include "tst_profiletabs.moc"
