// The wait for a set of players to show their videos: once, when the last of
// them shows or goes, or at the time-out, and never from inside the constructor.
#include "DesktopVideoPlayer.h"
#include "FakePlayerBackend.h"
#include "LantoSettings.h"
#include "TemporaryHome.h"
#include "VideosShown.h"
#include "VirtualScheduler.h"
#include "Workspace.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

class tst_VideosShown : public QObject
{
    Q_OBJECT

private slots:
    void finishesOnceWhenEveryPlayerIsDone_data();
    void finishesOnceWhenEveryPlayerIsDone();
    void withoutPlayersFinishesFromTheEventLoop();
};

void tst_VideosShown::finishesOnceWhenEveryPlayerIsDone_data()
{
    // Per player: 's' shows, 'd' is destroyed, 'b' shows and is destroyed, '-' does nothing.
    QTest::addColumn<QString>("players");
    QTest::addColumn<bool>("finishedBeforeTimeout");

    QTest::newRow("both show") << "ss" << true;
    QTest::newRow("one shows, one goes") << "sd" << true;
    QTest::newRow("one shows and then goes, the other shows") << "bs" << true;
    QTest::newRow("one never shows") << "s-" << false;
}

void tst_VideosShown::finishesOnceWhenEveryPlayerIsDone()
{
    QFETCH(QString, players);
    QFETCH(bool, finishedBeforeTimeout);

    TemporaryHome home;
    VirtualScheduler clock;
    LantoSettings settings(home.appSupportPath(), clock);
    Workspace workspace;
    FakePlayerBackendFactory backends(clock);
    VideosShown::VideoPlayers map;
    for (int i = 0; i < players.size(); ++i)
        map[QString::number(i)] = std::make_unique<DesktopVideoPlayer>(
            DesktopVideoPlayerContext { backends, workspace, settings, clock });

    VideosShown shown(map, clock, 2s);
    QSignalSpy finished(&shown, &VideosShown::finished);
    for (int i = 0; i < players.size(); ++i) {
        const QString key = QString::number(i);
        const QChar what = players.at(i);
        if (what == u's' || what == u'b')
            emit map.at(key)->shownAtPosition();
        if (what == u'd' || what == u'b')
            map.erase(key);
    }
    QCOMPARE(finished.count(), finishedBeforeTimeout ? 1 : 0);
    clock.advance(1999ms);
    QCOMPARE(finished.count(), finishedBeforeTimeout ? 1 : 0);
    clock.advance(1ms);
    QCOMPARE(finished.count(), 1);
    // A later show of the same player changes nothing.
    for (const auto& [key, player] : map)
        emit player->shownAtPosition();
    QCOMPARE(finished.count(), 1);
}

void tst_VideosShown::withoutPlayersFinishesFromTheEventLoop()
{
    VirtualScheduler clock;
    VideosShown shown({}, clock, 2s);
    QSignalSpy finished(&shown, &VideosShown::finished);
    QCOMPARE(finished.count(), 0);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(clock.pendingCount(), 0);
}

QTEST_MAIN(tst_VideosShown)
#include "tst_videosshown.moc"
