#include "AppState.h"
#include "VirtualScheduler.h"

#include <QJSEngine>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

Wallpaper wallpaperWithId(const QUuid& id, const QString& title)
{
    Wallpaper wallpaper;
    wallpaper.id = id;
    wallpaper.edit().title = title;
    return wallpaper;
}

} // namespace

class TestAppState : public QObject
{
    Q_OBJECT

private slots:
    void laterToastOutlivesEarlierOne();
    void wallpaperChangesOnlyWithItsId();
    void creatorChangesWithAnyField();
    void sectionsByExactRawValue();
    void confirmationRunsItsActionThenClears();
    void creatorPageRemembersWallpaper();
};

void TestAppState::laterToastOutlivesEarlierOne()
{
    VirtualScheduler scheduler;
    AppState state(scheduler);
    QSignalSpy changes(&state, &AppState::toastMessageChanged);
    state.showToast("Applied A");
    scheduler.advance(1500ms);
    state.showToast("Applied B");
    scheduler.advance(600ms); // A's clear finds B and leaves it
    QCOMPARE(state.toastMessage(), QString("Applied B"));
    scheduler.advance(1500ms);
    QCOMPARE(state.toastMessage(), std::nullopt);
    QCOMPARE(changes.count(), 3);
}

void TestAppState::wallpaperChangesOnlyWithItsId()
{
    VirtualScheduler scheduler;
    AppState state(scheduler);
    QSignalSpy changes(&state, &AppState::selectedWallpaperChanged);
    const QUuid id = QUuid::createUuid();
    state.setSelectedWallpaper(wallpaperWithId(id, "Old"));
    state.setSelectedWallpaper(wallpaperWithId(id, "Renamed"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(state.selectedWallpaper()->title(), QString("Renamed")); // stored all the same
    state.setSelectedWallpaperValue(Wallpaper()); // QML's none
    QCOMPARE(changes.count(), 2);
    QVERIFY(!state.selectedWallpaper());
}

void TestAppState::creatorChangesWithAnyField()
{
    VirtualScheduler scheduler;
    AppState state(scheduler);
    Creator creator;
    creator.id = QUuid::createUuid();
    creator.name = "Ada";
    state.setSelectedCreator(creator);
    QSignalSpy changes(&state, &AppState::selectedCreatorChanged);
    creator.followerCount = 41;
    state.setSelectedCreator(creator);
    state.setSelectedCreator(creator);
    QCOMPARE(changes.count(), 1);
}

void TestAppState::sectionsByExactRawValue()
{
    QCOMPARE(SidebarSections::fromRawValue("Discover"), SidebarSection::discover);
    QCOMPARE(SidebarSections::fromRawValue("discover"), std::nullopt);
    VirtualScheduler scheduler;
    AppState state(scheduler);
    state.setSelectedSectionName("upload"); // not a raw value: ignored
    QCOMPARE(state.selectedSection(), SidebarSection::discover);
    state.setSelectedSectionName("Upload");
    QCOMPARE(state.selectedSection(), SidebarSection::upload);
    QCOMPARE(SidebarSections::gradientColors(SidebarSection::categories).first(), QColor::fromRgbF(0.95f, 0.55f, 0.20f));
}

void TestAppState::confirmationRunsItsActionThenClears()
{
    VirtualScheduler scheduler;
    AppState state(scheduler);
    QJSEngine engine;
    engine.globalObject().setProperty("removed", 0);
    const QJSValue onConfirm = engine.evaluate("(function() { removed += 1 })");
    QSignalSpy changes(&state, &AppState::deleteConfirmationChanged);
    const Wallpaper item = wallpaperWithId(QUuid::createUuid(), "One");
    state.requestDeletion({QVariant::fromValue(item), QVariant::fromValue(QString("not a wallpaper"))}, onConfirm);
    QCOMPARE(state.deleteConfirmation()->wallpapers, QList<Wallpaper>{item});
    state.confirmDeletion();
    QCOMPARE(engine.globalObject().property("removed").toInt(), 1);
    QVERIFY(!state.hasDeleteConfirmation());
    state.confirmDeletion(); // nothing pending: nothing runs
    QCOMPARE(engine.globalObject().property("removed").toInt(), 1);
    QCOMPARE(changes.count(), 2);
}

void TestAppState::creatorPageRemembersWallpaper()
{
    VirtualScheduler scheduler;
    AppState state(scheduler);
    Wallpaper item = wallpaperWithId(QUuid::createUuid(), "One");
    item.edit().creator.id = QUuid::createUuid();
    state.openWallpaper(item);
    state.openCreatorFromWallpaper(item);
    QVERIFY(!state.selectedWallpaper());
    QCOMPARE(state.selectedCreator(), item.creator());
    state.closeCreator();
    QCOMPARE(state.selectedWallpaper(), item);
    QVERIFY(!state.previousWallpaper());
    QVERIFY(!state.selectedCreator());
}

QTEST_GUILESS_MAIN(TestAppState)
#include "tst_appstate.moc"
