#include "AccountPresentation.h"
#include "FakeWebService.h"
#include "SidebarUpdateOffer.h"
#include "UserDefaults.h"
#include "FloatingMonitorWindowManager.h"
#include "FullScreenObserver.h"
#include "LibraryRig.h"
#include "MainWindowModel.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

class TestMainWindowModel : public QObject
{
    Q_OBJECT

private slots:
    void removeTexts_data();
    void removeTexts();
    void dimmingClosesEverythingAndConfirmsNothing();
    void appliedTitleShowsToastOnlyWhenItChanges();
    void failedDownloadShowsAWarningToast();
    void panelFollowsTheDisplayCount();
    void fullScreenWindowsReachTheState_data();
    void fullScreenWindowsReachTheState();
    void initials_data();
    void initials();
    void accountNamesWithoutDisplayName();
    void updateBadgeNeedsAVersionAndHidesOnTap();
};

void TestMainWindowModel::removeTexts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");

    const QString plural = "This will delete the downloaded files.\nYou can re-download them anytime.";
    QTest::newRow("none") << 0 << "Remove 0 Wallpapers?" << plural;
    QTest::newRow("one") << 1 << "Remove Wallpaper?"
                         << "This will delete the downloaded file.\nYou can re-download it anytime.";
    QTest::newRow("several") << 3 << "Remove 3 Wallpapers?" << plural;
}

void TestMainWindowModel::removeTexts()
{
    QFETCH(int, count);
    QTEST(MainWindowModel::removeTitle(count), "title");
    QTEST(MainWindowModel::removeMessage(count), "message");
}

void TestMainWindowModel::dimmingClosesEverythingAndConfirmsNothing()
{
    VirtualScheduler scheduler;
    AppState state(scheduler);
    MainWindowModel model;
    model.setAppState(&state);
    QSignalSpy overlays(&model, &MainWindowModel::overlaysChanged);
    QVERIFY(!model.dimmed());

    bool confirmed = false;
    state.setDeleteConfirmation(AppState::DeleteConfirmation{{catalogueItem(1), catalogueItem(2)}, [&] { confirmed = true; }});
    state.setShowSignOutConfirm(true);
    QVERIFY(model.dimmed());
    QCOMPARE(model.removeTitle(), "Remove 2 Wallpapers?");
    QVERIFY(overlays.count() >= 2);

    model.dismissOverlays();
    QVERIFY(!model.dimmed());
    QVERIFY(!state.deleteConfirmation());
    QVERIFY(!state.showSignOutConfirm());
    QVERIFY(!confirmed);

    state.setShowEditProfile(true);
    QVERIFY(model.dimmed());
    model.dismissOverlays();
    QVERIFY(!state.showEditProfile());
}

void TestMainWindowModel::appliedTitleShowsToastOnlyWhenItChanges()
{
    LibraryRig rig;
    rig.addTwoDisplays();
    // Both on disk, so applying one sets the title at once.
    const Wallpaper first = catalogueItem(1);
    const Wallpaper second = catalogueItem(2);
    rig.addFolder(first.hexID(), "content.mov");
    rig.addFolder(second.hexID(), "content.mov");
    rig.startOnAllDisplays();
    AppState state(rig.scheduler);
    MainWindowModel model;
    model.setAppState(&state);
    model.setWallpaperManager(rig.manager.get());
    QSignalSpy toasts(&state, &AppState::toastMessageChanged);

    rig.manager->apply(first);
    QTRY_COMPARE(state.toastMessageText(), first.title() + " applied");
    rig.scheduler.advance(std::chrono::seconds(3));
    QVERIFY(!state.toastMessage());
    const int shown = toasts.count();

    rig.manager->apply(first); // the same title: the watched value does not change
    QCOMPARE(toasts.count(), shown);
    rig.manager->apply(second);
    QTRY_COMPARE(state.toastMessageText(), second.title() + " applied");
}

void TestMainWindowModel::failedDownloadShowsAWarningToast()
{
    LibraryRig rig;
    rig.addTwoDisplays();
    const Wallpaper wallpaper = catalogueItem(1);
    rig.startOnAllDisplays();
    AppState state(rig.scheduler);
    MainWindowModel model;
    model.setAppState(&state);
    model.setWallpaperManager(rig.manager.get());

    rig.manager->apply(wallpaper);
    QTRY_COMPARE(rig.service.downloads.pendingCount(), 1);
    rig.service.downloads.answer(Fetched<QUrl>::failed("Failed to download wallpaper: timed out"));
    QTRY_COMPARE(state.toastMessageText(),
        "Couldn't download \u201c" + wallpaper.title() + "\u201d. Check your connection and try again.");
    QVERIFY(state.toastIsFailure());
    QVERIFY(!rig.manager->lastAppliedTitle());

    // A later success is told as one again.
    state.showToast(wallpaper.title() + " applied");
    QVERIFY(!state.toastIsFailure());
}

void TestMainWindowModel::panelFollowsTheDisplayCount()
{
    LibraryRig rig;
    rig.addTwoDisplays();
    rig.screens.screens.removeLast();
    rig.start();
    FloatingMonitorWindowManager& panel = FloatingMonitorWindowManager::shared();
    MainWindowModel model;
    model.setWallpaperManager(rig.manager.get());
    QVERIFY(!panel.isVisible());

    rig.screens.screens.append(ScreenModel(2, "Display 2"));
    rig.manager->refreshConnectedScreens();
    QVERIFY(panel.isVisible());
    // Another display in place of one: still two.
    rig.screens.screens.last() = ScreenModel(3, "Display 3");
    rig.manager->refreshConnectedScreens();
    QVERIFY(panel.isVisible());
    rig.screens.screens.removeLast();
    rig.manager->refreshConnectedScreens();
    QVERIFY(!panel.isVisible());
}

void TestMainWindowModel::fullScreenWindowsReachTheState_data()
{
    QTest::addColumn<bool>("madeBeforeTheWatch");
    QTest::newRow("window made before the watch") << true;
    QTest::newRow("window made after it") << false;
}

void TestMainWindowModel::fullScreenWindowsReachTheState()
{
    QFETCH(bool, madeBeforeTheWatch);
    VirtualScheduler scheduler;
    AppState state(scheduler);
    std::unique_ptr<QWindow> window;
    if (madeBeforeTheWatch) {
        window = std::make_unique<QWindow>();
        window->show();
    }
    FullScreenObserver observer;
    observer.setAppState(&state);
    observer.start();
    observer.start(); // a second start watches nothing twice
    QSignalSpy changes(&state, &AppState::isFullScreenChanged);

    if (!window) {
        window = std::make_unique<QWindow>();
        window->show();
        window->requestActivate();
    }
    window->showFullScreen();
    QTRY_VERIFY(state.isFullScreen());
    window->showNormal();
    QTRY_VERIFY(!state.isFullScreen());
    QCOMPARE(changes.count(), 2);
}

void TestMainWindowModel::initials_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initials");

    QTest::newRow("two words") << "ada lovelace" << "AL";
    QTest::newRow("one lower-case word") << "grace" << "G";
    QTest::newRow("four words") << "Jean Baptiste de Lamarck" << "JL";
    QTest::newRow("spaces only") << "   " << "?";
    QTest::newRow("spaces around") << "  Ada   Byron  " << "AB";
    QTest::newRow("empty") << "" << "?";
    QTest::newRow("none") << QString() << "?";
}

void TestMainWindowModel::initials()
{
    QFETCH(QString, name);
    QTEST(AccountPresentation::initials(name), "initials");
}

void TestMainWindowModel::accountNamesWithoutDisplayName()
{
    AccountPresentation account;
    QCOMPARE(account.accountName(), "Lanto User");
    QCOMPARE(account.profileLabel(), "Profile");
    QCOMPARE(account.initials(), "?");
}

void TestMainWindowModel::updateBadgeNeedsAVersionAndHidesOnTap()
{
    TemporaryHome home;
    UserDefaults defaults(home.filePath(".config/lanto/user-defaults.conf"));
    FakeWebService web;
    web.on("GET", "/appcast.xml",
           FakeReply::raw(200,
                          "<rss xmlns:sparkle=\"http://example.com/ns\"><channel><item><sparkle:shortVersionString>1.3"
                          "</sparkle:shortVersionString><sparkle:version>13</sparkle:version></item></channel></rss>",
                          "application/rss+xml"));
    QNetworkAccessManager network;
    VirtualScheduler scheduler;
    SparkleUpdateManager manager(network, defaults, scheduler, web.url("/appcast.xml"), Updater::Versions{"1.2", "12"});
    SidebarUpdateOffer offer;
    QVERIFY(!offer.shown()); // no manager installed in this program
    offer.setManager(&manager);

    manager.setUpdateAvailable(true);
    QVERIFY(!offer.shown()); // known to be newer, but no version to name

    QSignalSpy checked(&manager, &SparkleUpdateManager::appcastChecked);
    manager.checkAppcast();
    QVERIFY(checked.wait(10000));
    QTRY_VERIFY(offer.shown());
    QCOMPARE(offer.version(), "1.3");
    offer.accept();
    QVERIFY(!offer.shown());
    QVERIFY(!manager.updateAvailable());
}

QTEST_MAIN(TestMainWindowModel)
#include "tst_mainwindowmodel.moc"
