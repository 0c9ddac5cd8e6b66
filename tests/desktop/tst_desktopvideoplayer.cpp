// The desktop video player's state machine over fake players in virtual time:
// first play and hand-over, replacement with the deferred swap, pause, resume
// and rebuild, and the settings it honours.
#include "DesktopImageView.h"
#include "DesktopVideoPlayer.h"
#include "FakePlayerBackend.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "PlayerLayerView.h"
#include "TemporaryHome.h"
#include "TestPictures.h"
#include "VirtualScheduler.h"
#include "Workspace.h"

#include <QDir>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using Status = PlayerBackend::TimeControlStatus;

class tst_DesktopVideoPlayer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstPlayBridgesWithPosterAndFadesIn();
    void handOverStartsAtItsPositionAboveHalfASecond_data();
    void handOverStartsAtItsPositionAboveHalfASecond();
    void handOverGoesOnByTheTimeSinceThePositionWasTaken_data();
    void handOverGoesOnByTheTimeSinceThePositionWasTaken();
    void positionDateOnlyWhilePlaying();
    void handedOverVideoKeepsUpAfterAStall_data();
    void handedOverVideoKeepsUpAfterAStall();
    void sameUrlPlayingIsLeftAlonePausedIsReplaced();
    void replacementKeepsOldVideoUntilNewPlays();
    void playDuringPendingReplacementSwapsOnlyNewest();
    void replacementsThatNeverPlayAreNotHoarded();
    void laterStatusChangesAreNotObserved();
    void videoThatNeverPlaysStaysUnderPoster();
    void resumeRebuildsFailedItemAtItsPosition();
    void resumeWithoutPlayerPlaysAgain();
    void stopAndResumeOnIdlePlayer();
    void imageViewWithoutWindowChangesNothing();
    void reduceMotionStopsWhenRespected_data();
    void reduceMotionStopsWhenRespected();
    void reducedFrameRateCapsDecodedSize_data();
    void reducedFrameRateCapsDecodedSize();
    void powerRuleResumesOnlyItsOwnPause();
    void powerRuleHoldsThroughWakeAndReplacement_data();
    void powerRuleHoldsThroughWakeAndReplacement();
    void positionGrowsAndWrapsWithVirtualTime();

private:
    // Plays into the window's image view and runs the status tasks that causes.
    void start(const QUrl& url, bool handoff, double position);
    // Advances virtual time and runs the status tasks it caused.
    void advance(Scheduler::Duration by);
    void settle();
    // The log lines of the players without their stamp.
    QStringList messages() const;
    QUrl videoWithPoster(const QString& name);
    QUrl video(const QString& name);
    // The fake plays the video for a minute before it loops.
    void makeMinuteLong(const QUrl& url);
    void setSetting(const QString& key, bool value);

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<VirtualScheduler> m_clock;
    std::unique_ptr<LantoSettings> m_settings;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<FakePlayerBackendFactory> m_backends;
    std::unique_ptr<QQuickWindow> m_window;
    DesktopImageView* m_imageView = nullptr;
    std::unique_ptr<DesktopVideoPlayer> m_player;
    std::unique_ptr<LogCapture> m_log;
};

void tst_DesktopVideoPlayer::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_clock = std::make_unique<VirtualScheduler>();
    m_settings = std::make_unique<LantoSettings>(m_home->appSupportPath(), *m_clock);
    m_workspace = std::make_unique<Workspace>();
    m_backends = std::make_unique<FakePlayerBackendFactory>(*m_clock);
    m_window = std::make_unique<QQuickWindow>();
    m_window->resize(320, 180);
    m_imageView = new DesktopImageView(m_window->contentItem());
    m_imageView->setSize(QSizeF(320, 180));
    m_player = std::make_unique<DesktopVideoPlayer>(
        DesktopVideoPlayerContext { *m_backends, *m_workspace, *m_settings, *m_clock });
    m_log = std::make_unique<LogCapture>();
}

void tst_DesktopVideoPlayer::cleanup()
{
    m_log.reset();
    m_player.reset();
    m_window.reset();
    m_backends.reset();
    m_workspace.reset();
    m_settings.reset();
    m_clock.reset();
    m_home.reset();
}

void tst_DesktopVideoPlayer::advance(Scheduler::Duration by)
{
    m_clock->advance(by);
    settle();
}

void tst_DesktopVideoPlayer::start(const QUrl& url, bool handoff, double position)
{
    m_player->play(url, m_imageView, handoff, position);
    settle();
}

void tst_DesktopVideoPlayer::settle() { QCoreApplication::sendPostedEvents(); }

QStringList tst_DesktopVideoPlayer::messages() const
{
    static const QRegularExpression stamp(QStringLiteral("^Lanto: \\[DVP -?\\d+\\.\\d{3}\\] "));
    QStringList result;
    for (QString line : m_log->lines()) {
        if (line.contains(stamp))
            result.append(line.remove(stamp));
    }
    return result;
}

QUrl tst_DesktopVideoPlayer::video(const QString& name)
{
    const QString folder = m_home->filePath(name);
    QDir().mkpath(folder);
    return QUrl::fromLocalFile(QDir(folder).filePath(name + QStringLiteral(".mp4")));
}

void tst_DesktopVideoPlayer::makeMinuteLong(const QUrl& url)
{
    FakePlayerBackend::Media longer;
    longer.durationSeconds = 60;
    m_backends->setMedia(url, longer);
}

QUrl tst_DesktopVideoPlayer::videoWithPoster(const QString& name)
{
    const QUrl url = video(name);
    TestPictures::stripes(QFileInfo(url.toLocalFile()).path(), QStringLiteral("Poster.png"), QSize(16, 9), { Qt::red });
    return url;
}

void tst_DesktopVideoPlayer::setSetting(const QString& key, bool value) { m_settings->set(key, PlistValue(value)); }

void tst_DesktopVideoPlayer::firstPlayBridgesWithPosterAndFadesIn()
{
    const QUrl url = videoWithPoster(QStringLiteral("a"));
    start(url, false, 0);

    QVERIFY(!m_imageView->image().isNull());
    PlayerLayerView* view = m_player->playerView();
    QVERIFY(view);
    QCOMPARE(view->parentItem(), m_imageView);
    QCOMPARE(view->opacity(), 0.0);
    QCOMPARE(view->player(), m_player->player());
    QCOMPARE(messages(),
        QStringList({ QStringLiteral("play() START — a.mp4 (prev=none)"),
            QStringLiteral("play() isFirstPlay=1, looper items=1"), QStringLiteral("play() poster loaded as bridge"),
            QStringLiteral("play() PlayerLayerView created (alpha=0)"),
            QStringLiteral("play() DONE — setup=0.000s, play() called"),
            QStringLiteral("STATUS → waiting (reason=loading, from=0)") }));

    m_log->clear();
    advance(200ms);
    QCOMPARE(messages(),
        QStringList({ QStringLiteral("STATUS → playing (rate=1.0, setup=0.000s, total=0.200s, from=1, handoff=0)"),
            QStringLiteral("fade-in started (0.3s)") }));
    QVERIFY(view->isFading());
    QTRY_COMPARE(view->opacity(), 1.0);
    QVERIFY(m_player->player()->loopsWholeFile());
    QVERIFY(static_cast<FakePlayerBackend*>(m_player->player())->seeks().isEmpty());
}

void tst_DesktopVideoPlayer::handOverStartsAtItsPositionAboveHalfASecond_data()
{
    QTest::addColumn<bool>("handoff");
    QTest::addColumn<double>("position");
    QTest::addColumn<bool>("startsThere");
    QTest::addColumn<bool>("onScreen");

    QTest::newRow("hand-over at 12.0 s") << true << 12.0 << true << false;
    QTest::newRow("hand-over at 12.0 s, window on screen") << true << 12.0 << true << true;
    QTest::newRow("hand-over at 0.51 s") << true << 0.51 << true << false;
    QTest::newRow("hand-over at exactly 0.5 s") << true << 0.5 << false << false;
    QTest::newRow("position without hand-over still counts") << false << 3.0 << true << false;
}

void tst_DesktopVideoPlayer::handOverStartsAtItsPositionAboveHalfASecond()
{
    QFETCH(bool, handoff);
    QFETCH(double, position);
    QFETCH(bool, startsThere);
    QFETCH(bool, onScreen);

    const QUrl url = videoWithPoster(QStringLiteral("a"));
    makeMinuteLong(url);
    if (onScreen) {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    start(url, handoff, position);
    PlayerLayerView* view = m_player->playerView();
    // Until its frame is at the handed-over position, what lies beneath shows.
    QCOMPARE(view->opacity(), 0.0);
    // A hand-over continues what is on screen: no poster in between.
    QCOMPARE(m_imageView->image().isNull(), handoff);
    auto* backend = static_cast<FakePlayerBackend*>(m_player->player());
    // Decoded from the position on: nothing of the video's start is ever drawn.
    QCOMPARE(backend->startSeconds(), startsThere ? position : 0.0);

    advance(200ms);
    QCOMPARE(view->isFading(), !handoff);
    // Nothing ran on while it loaded (no date): it needs no seek.
    QVERIFY(backend->seeks().isEmpty());
    QCOMPARE(view->opacity(), handoff && !onScreen ? 1.0 : 0.0);
    const QString sought = QStringLiteral("sought to %1s after handoff").arg(position, 0, 'f', 1);
    QCOMPARE(messages().contains(sought), startsThere);
    // Where the video goes on, beside what was handed over.
    settle();
    const QString resumed = QStringLiteral("handoff resumed at %1s (handed over at %1s)").arg(position, 0, 'f', 3);
    QCOMPARE(messages().contains(resumed), startsThere);
    if (onScreen) {
        // Shown from a frame drawn at the position; told once that frame is on screen.
        QCOMPARE(view->opacity(), 0.0);
        QVERIFY(!m_player->isShownAtPosition());
        m_window->update();
        QTRY_COMPARE(view->opacity(), 1.0);
        QTRY_VERIFY(m_player->isShownAtPosition());
    }
    if (handoff)
        QCOMPARE(view->opacity(), 1.0);
    QVERIFY(messages().contains(
        QStringLiteral("STATUS → playing (rate=1.0, setup=0.000s, total=0.200s, from=1, handoff=%1)")
            .arg(int(handoff))));
}

void tst_DesktopVideoPlayer::handOverGoesOnByTheTimeSinceThePositionWasTaken_data()
{
    QTest::addColumn<std::optional<double>>("age"); // seconds since the position was taken, at play
    QTest::addColumn<double>("startsAt");
    QTest::addColumn<std::optional<double>>("target"); // where it seeks once it plays

    // The fake takes 0.2 s from load to playing; that time counts as well.
    QTest::newRow("taken 1.5 s ago") << std::optional<double>(1.5) << 13.5 << std::optional<double>(13.7);
    QTest::newRow("taken just now") << std::optional<double>(0) << 12.0 << std::optional<double>(12.2);
    QTest::newRow("no date: a paused video") << std::optional<double>() << 12.0 << std::optional<double>();
    QTest::newRow("older than any hand-over") << std::optional<double>(30) << 12.0 << std::optional<double>();
    QTest::newRow("dated in the future") << std::optional<double>(-5) << 12.0 << std::optional<double>();
}

void tst_DesktopVideoPlayer::handOverGoesOnByTheTimeSinceThePositionWasTaken()
{
    QFETCH(std::optional<double>, age);
    QFETCH(double, startsAt);
    QFETCH(std::optional<double>, target);

    const QUrl url = video(QStringLiteral("a"));
    makeMinuteLong(url);
    QSignalSpy shown(m_player.get(), &DesktopVideoPlayer::shownAtPosition);
    std::optional<QDateTime> taken;
    if (age)
        taken = QDateTime::currentDateTimeUtc().addMSecs(qint64(-*age * 1000));
    m_player->play(url, m_imageView, true, 12.0, taken);
    settle();
    auto* backend = static_cast<FakePlayerBackend*>(m_player->player());
    // The test's own run time adds a few milliseconds of wall clock.
    QVERIFY2(qAbs(backend->startSeconds() - startsAt) < 0.05, qPrintable(QString::number(backend->startSeconds())));

    advance(200ms);
    QCOMPARE(backend->seeks().size(), target ? 1 : 0);
    if (target) {
        QVERIFY2(
            qAbs(backend->seeks().first() - *target) < 0.05, qPrintable(QString::number(backend->seeks().first())));
        // Shown once the seek has landed, not before.
        QCOMPARE(shown.count(), 0);
    }
    settle();
    QCOMPARE(shown.count(), 1);
}

void tst_DesktopVideoPlayer::handedOverVideoKeepsUpAfterAStall_data()
{
    QTest::addColumn<bool>("dated"); // handed over while running, with the moment of its position
    QTest::addColumn<int>("stallMs");
    QTest::addColumn<int>("seeks");

    QTest::newRow("stalled 0.5 s: seeks on") << true << 500 << 2;
    QTest::newRow("stalled 0.05 s: close enough") << true << 50 << 1;
    QTest::newRow("stalled 5 s: more than a stall, left alone") << true << 5000 << 1;
    QTest::newRow("not dated: nothing to keep up with") << false << 500 << 0;
}

void tst_DesktopVideoPlayer::handedOverVideoKeepsUpAfterAStall()
{
    QFETCH(bool, dated);
    QFETCH(int, stallMs);
    QFETCH(int, seeks);

    const QUrl url = video(QStringLiteral("a"));
    makeMinuteLong(url);
    m_player->play(
        url, m_imageView, true, 12.0, dated ? std::optional<QDateTime>(QDateTime::currentDateTimeUtc()) : std::nullopt);
    settle();
    auto* backend = static_cast<FakePlayerBackend*>(m_player->player());
    advance(200ms);
    settle(); // the seek lands
    // Dated, it goes on to where the other video got to while it loaded.
    QCOMPARE(backend->seeks().size(), dated ? 1 : 0);

    backend->stall();
    advance(std::chrono::milliseconds(stallMs));
    backend->finishStall();
    advance(250ms);
    settle();
    QCOMPARE(backend->seeks().size(), seeks);
    if (seeks == 2) {
        // Where the other program's video is by now: the first target and the time since.
        const double due = backend->seeks().first() + (stallMs + 250) / 1000.0;
        QVERIFY2(qAbs(backend->seeks().last() - due) < 0.3, qPrintable(QString::number(backend->seeks().last())));
        QVERIFY(messages().filter(QStringLiteral("behind — seeking to the handed-over line")).size() == 1);
    }
    // The watch ends a few seconds after the hand-over: a later stall is left alone.
    advance(5s);
    backend->stall();
    advance(1s);
    backend->finishStall();
    advance(1s);
    QCOMPARE(backend->seeks().size(), seeks);
}

void tst_DesktopVideoPlayer::positionDateOnlyWhilePlaying()
{
    const QUrl url = video(QStringLiteral("a"));
    QSignalSpy shown(m_player.get(), &DesktopVideoPlayer::shownAtPosition);
    start(url, false, 0);
    QVERIFY(!m_player->positionDate()); // still loading
    advance(200ms);
    // Without a seek the video shows where it should as soon as it plays.
    QCOMPARE(shown.count(), 1);
    const std::optional<QDateTime> date = m_player->positionDate();
    QVERIFY(date);
    QVERIFY(qAbs(date->msecsTo(QDateTime::currentDateTimeUtc())) < 1000);
    m_player->pause();
    settle();
    QVERIFY(!m_player->positionDate());
}

void tst_DesktopVideoPlayer::sameUrlPlayingIsLeftAlonePausedIsReplaced()
{
    const QUrl url = video(QStringLiteral("a"));
    start(url, false, 0);
    advance(200ms);
    PlayerBackend* first = m_player->player();

    m_log->clear();
    start(url, false, 0);
    QCOMPARE(messages(), QStringList { QStringLiteral("play() SKIPPED — same URL already playing (rate=1.0)") });
    QCOMPARE(m_player->player(), first);
    QCOMPARE(m_backends->created().size(), 1);

    m_player->pause();
    m_log->clear();
    start(url, false, 0);
    QVERIFY(m_player->player() != first);
    QVERIFY(messages().contains(QStringLiteral("play() START — a.mp4 (prev=a.mp4)")));
    QVERIFY(messages().contains(QStringLiteral("play() isFirstPlay=0, looper items=1")));
    advance(200ms);
    QCOMPARE(m_player->playerView()->player(), m_player->player());
    QVERIFY(messages().contains(QStringLiteral("deferred swap — old video replaced seamlessly")));
}

void tst_DesktopVideoPlayer::replacementKeepsOldVideoUntilNewPlays()
{
    start(video(QStringLiteral("a")), false, 0);
    advance(200ms);
    QPointer<FakePlayerBackend> oldPlayer = m_backends->last();
    PlayerLayerView* view = m_player->playerView();
    QTRY_COMPARE(view->opacity(), 1.0);

    const QUrl next = video(QStringLiteral("b"));
    m_backends->setMedia(next, { 10, 1s, {} });
    start(next, false, 0);
    QCOMPARE(m_player->currentURL(), next);
    QCOMPARE(view->player(), oldPlayer.data());
    QCOMPARE(view->standbyPlayers(), QList<PlayerBackend*> { m_player->player() });
    QCOMPARE(view->opacity(), 1.0);
    // The old video plays on, but only to the end of its pass.
    QCOMPARE(oldPlayer->timeControlStatus(), Status::playing);
    QVERIFY(!oldPlayer->loopsWholeFile());

    advance(999ms);
    QCOMPARE(view->player(), oldPlayer.data());
    m_log->clear();
    advance(1ms);
    QCOMPARE(view->player(), m_player->player());
    QVERIFY(oldPlayer.isNull());
    QCOMPARE(m_backends->alive(), 1);
    QCOMPARE(messages(),
        QStringList({ QStringLiteral("STATUS → playing (rate=1.0, setup=0.000s, total=1.000s, from=1, handoff=0)"),
            QStringLiteral("deferred swap — old video replaced seamlessly") }));
    QVERIFY(!view->isFading());
}

void tst_DesktopVideoPlayer::playDuringPendingReplacementSwapsOnlyNewest()
{
    start(video(QStringLiteral("a")), false, 0);
    advance(200ms);
    QPointer<FakePlayerBackend> first = m_backends->last();

    const QUrl slow = video(QStringLiteral("b"));
    m_backends->setMedia(slow, { 10, 5s, {} });
    start(slow, false, 0);
    QPointer<FakePlayerBackend> pending = m_backends->last();
    const QUrl newest = video(QStringLiteral("c"));
    m_backends->setMedia(newest, { 10, 1s, {} });
    start(newest, false, 0);

    // The replacement that had not played yet is gone at once; the old video plays on.
    QVERIFY(pending.isNull());
    QCOMPARE(m_player->playerView()->player(), first.data());
    QVERIFY(first->rate() > 0);
    m_log->clear();
    advance(1s);
    QCOMPARE(m_player->playerView()->player(), m_player->player());
    QCOMPARE(m_player->currentURL(), newest);
    QVERIFY(first.isNull());
    QVERIFY(pending.isNull());
    // The dropped swap never fires, even when its player would have played by now.
    advance(10s);
    QCOMPARE(messages().count(QStringLiteral("deferred swap — old video replaced seamlessly")), 1);
}

void tst_DesktopVideoPlayer::replacementsThatNeverPlayAreNotHoarded()
{
    start(video(QStringLiteral("a")), false, 0);
    advance(200ms);
    QPointer<FakePlayerBackend> shown = m_backends->last();
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QUrl broken = video(QStringLiteral("broken%1").arg(attempt));
        m_backends->setMedia(broken, { 10, 100ms, QStringLiteral("damaged file") });
        start(broken, false, 0);
        advance(200ms);
        QCOMPARE(m_backends->alive(), 2);
        QCOMPARE(m_player->playerView()->player(), shown.data());
    }
    const QUrl good = video(QStringLiteral("good"));
    start(good, false, 0);
    advance(200ms);
    QCOMPARE(m_backends->alive(), 1);
    QCOMPARE(m_player->playerView()->player(), m_player->player());
    QCOMPARE(m_player->currentURL(), good);
}

void tst_DesktopVideoPlayer::laterStatusChangesAreNotObserved()
{
    start(video(QStringLiteral("a")), false, 0);
    advance(200ms);
    m_log->clear();
    auto* backend = m_backends->last();
    backend->stall();
    backend->finishStall();
    settle();
    QVERIFY(messages().isEmpty());
}

void tst_DesktopVideoPlayer::videoThatNeverPlaysStaysUnderPoster()
{
    const QUrl broken = videoWithPoster(QStringLiteral("a"));
    m_backends->setMedia(broken, { 10, 200ms, QStringLiteral("cannot decode") });
    start(broken, false, 0);
    advance(1min);
    QCOMPARE(m_player->playerView()->opacity(), 0.0);
    QVERIFY(!m_imageView->image().isNull());
    QVERIFY(messages().contains(QStringLiteral("STATUS → paused (rate=0.0, from=1)")));
}

void tst_DesktopVideoPlayer::resumeRebuildsFailedItemAtItsPosition()
{
    const QUrl url = video(QStringLiteral("a"));
    start(url, false, 0);
    advance(200ms);
    advance(7300ms);
    QCOMPARE(m_player->currentPosition(), 7.3);
    m_player->pause();
    m_backends->last()->failItem(QStringLiteral("decoder error"));
    settle();

    m_log->clear();
    m_player->resume();
    settle();
    auto* rebuilt = m_backends->last();
    QCOMPARE(m_backends->alive(), 1);
    QCOMPARE(m_player->player(), rebuilt);
    QCOMPARE(m_player->playerView()->player(), rebuilt);
    QCOMPARE(m_player->currentURL(), url);
    advance(200ms);
    QCOMPARE(rebuilt->seeks(), QList<double> { 7.3 });
    QCOMPARE(messages(),
        QStringList({ QStringLiteral("resume() — item FAILED (error=decoder error), rebuilding"),
            QStringLiteral("rebuild() START — a.mp4 (savedPos=7.3s)"),
            QStringLiteral("rebuild() DONE — setup=0.000s, play() called"),
            QStringLiteral("rebuild() → waiting (reason=loading, elapsed=0.000s)"),
            QStringLiteral("rebuild() → playing (elapsed=0.200s, from=1)"),
            QStringLiteral("rebuild() sought to 7.3s") }));
    QCOMPARE(m_player->currentPosition(), 7.3);
    QVERIFY(rebuilt->loopsWholeFile());
}

void tst_DesktopVideoPlayer::resumeWithoutPlayerPlaysAgain()
{
    const QUrl url = video(QStringLiteral("a"));
    start(url, false, 0);
    advance(200ms);
    m_player->player()->removeAllItems();
    m_log->clear();
    m_player->resume();
    QCOMPARE(messages().first(), QStringLiteral("resume() — player=ok, item=nil, full rebuild via play()"));
    QVERIFY(messages().contains(QStringLiteral("play() START — a.mp4 (prev=a.mp4)")));
    advance(200ms);
    QCOMPARE(m_player->player()->timeControlStatus(), Status::playing);
    QCOMPARE(m_player->playerView()->player(), m_player->player());
}

void tst_DesktopVideoPlayer::stopAndResumeOnIdlePlayer()
{
    m_player->stop();
    m_player->resume();
    m_player->pause();
    QCOMPARE(messages(),
        QStringList({ QStringLiteral("stop() — url=nil, rate=0.0"), QStringLiteral("resume() SKIPPED — no currentURL"),
            QStringLiteral("pause() — url=nil, rate=0.0") }));

    // After stop the poster stays and the player starts over as a first play.
    const QUrl url = videoWithPoster(QStringLiteral("a"));
    start(url, false, 0);
    advance(200ms);
    m_player->stop();
    QVERIFY(!m_player->playerView());
    QVERIFY(!m_player->player());
    QCOMPARE(m_backends->alive(), 0);
    QVERIFY(!m_imageView->image().isNull());
    QVERIFY(m_imageView->childItems().isEmpty());
    m_log->clear();
    start(url, false, 0);
    QVERIFY(messages().contains(QStringLiteral("play() isFirstPlay=1, looper items=1")));
}

void tst_DesktopVideoPlayer::imageViewWithoutWindowChangesNothing()
{
    DesktopImageView loose;
    m_player->play(video(QStringLiteral("a")), &loose, false, 0);
    QCOMPARE(messages(), QStringList { QStringLiteral("play() ERROR — imageView has no window!") });
    QVERIFY(m_player->currentURL().isEmpty());
    QCOMPARE(m_backends->created().size(), 0);
}

void tst_DesktopVideoPlayer::reduceMotionStopsWhenRespected_data()
{
    QTest::addColumn<bool>("respect");
    QTest::addColumn<bool>("reduceMotion");
    QTest::addColumn<bool>("plays");

    QTest::newRow("respected and on") << true << true << false;
    QTest::newRow("respected, system off") << true << false << true;
    QTest::newRow("not respected") << false << true << true;
}

void tst_DesktopVideoPlayer::reduceMotionStopsWhenRespected()
{
    QFETCH(bool, respect);
    QFETCH(bool, reduceMotion);
    QFETCH(bool, plays);

    start(videoWithPoster(QStringLiteral("a")), false, 0);
    advance(200ms);
    setSetting(SettingsKey::respectReduceMotion, respect);
    m_workspace->setReduceMotion(reduceMotion);
    // Asked for while a video plays, it pauses it; asked no more, it resumes it.
    QCOMPARE(m_player->player()->rate(), plays ? 1.0 : 0.0);
    m_workspace->setReduceMotion(!reduceMotion);
    QCOMPARE(m_player->player()->rate(), respect && !reduceMotion ? 0.0 : 1.0);
    m_workspace->setReduceMotion(reduceMotion);
    m_log->clear();
    start(video(QStringLiteral("b")), false, 0);
    advance(200ms);

    QCOMPARE(messages().contains(QStringLiteral("play() SKIPPED — Reduce Motion enabled")), !plays);
    QCOMPARE(m_player->player() != nullptr, plays);
    QCOMPARE(m_player->playerView() != nullptr, plays);
    QVERIFY(!m_imageView->image().isNull());
}

void tst_DesktopVideoPlayer::reducedFrameRateCapsDecodedSize_data()
{
    QTest::addColumn<bool>("reduced");
    QTest::newRow("reduced frame rate") << true;
    QTest::newRow("full frame rate") << false;
}

void tst_DesktopVideoPlayer::reducedFrameRateCapsDecodedSize()
{
    QFETCH(bool, reduced);
    setSetting(SettingsKey::reducedFrameRate, reduced);
    const std::optional<QSize> expected = reduced ? std::optional(QSize(1920, 1080)) : std::nullopt;

    start(video(QStringLiteral("a")), false, 0);
    QCOMPARE(m_backends->last()->maximumSize(), expected);
    // A rebuild reads the setting again.
    setSetting(SettingsKey::reducedFrameRate, !reduced);
    m_backends->last()->failItem(QStringLiteral("lost"));
    m_player->resume();
    QCOMPARE(m_backends->last()->maximumSize(), reduced ? std::nullopt : std::optional(QSize(1920, 1080)));
}

void tst_DesktopVideoPlayer::powerRuleResumesOnlyItsOwnPause()
{
    setSetting(SettingsKey::pauseOnBattery, true);
    m_workspace->setLowPowerMode(true);
    start(video(QStringLiteral("a")), false, 0);
    advance(200ms);
    QCOMPARE(m_player->player()->rate(), 0.0);

    m_workspace->setLowPowerMode(false);
    QCOMPARE(m_player->player()->rate(), 1.0);

    // Paused for display sleep: a power notice neither way restarts it.
    m_player->pause();
    m_workspace->setLowPowerMode(true);
    m_workspace->setLowPowerMode(false);
    m_workspace->setOnBattery(true);
    QCOMPARE(m_player->player()->rate(), 0.0);

    // Without the setting, low power mode changes nothing.
    m_player->resume();
    setSetting(SettingsKey::pauseOnBattery, false);
    m_workspace->setLowPowerMode(true);
    QCOMPARE(m_player->player()->rate(), 1.0);
    QVERIFY(messages().filter(QStringLiteral("power")).isEmpty());
}

void tst_DesktopVideoPlayer::powerRuleHoldsThroughWakeAndReplacement_data()
{
    QTest::addColumn<bool>("unplugged");
    QTest::newRow("on battery") << true;
    QTest::newRow("power saver") << false;
}

void tst_DesktopVideoPlayer::powerRuleHoldsThroughWakeAndReplacement()
{
    QFETCH(bool, unplugged);
    const auto setRule = [this, unplugged](bool holds) {
        if (unplugged)
            m_workspace->setOnBattery(holds);
        else
            m_workspace->setLowPowerMode(holds);
    };
    setSetting(SettingsKey::pauseOnBattery, true);
    start(video(QStringLiteral("a")), false, 0);
    advance(200ms);
    QCOMPARE(m_player->player()->rate(), 1.0);

    setRule(true);
    QCOMPARE(m_player->player()->rate(), 0.0);
    // Display sleep and wake, an unlock: the video stays still.
    m_player->pause();
    m_player->resume();
    m_player->resume();
    QCOMPARE(m_player->player()->rate(), 0.0);
    QVERIFY(messages().contains(QStringLiteral("resume() SKIPPED — paused to save battery")));

    // A new video is swapped in and shows its first frame, still.
    start(video(QStringLiteral("b")), false, 0);
    advance(200ms);
    FakePlayerBackend* replacement = m_backends->last();
    QCOMPARE(m_player->playerView()->player(), replacement);
    QVERIFY(messages().contains(QStringLiteral("deferred swap — old video replaced seamlessly")));
    QCOMPARE(replacement->rate(), 0.0);

    setRule(false);
    QCOMPARE(replacement->rate(), 1.0);

    // Plugged in while the displays sleep: they stay asleep until woken.
    setRule(true);
    m_player->pause();
    setRule(false);
    QCOMPARE(replacement->rate(), 0.0);
    m_player->resume();
    QCOMPARE(replacement->rate(), 1.0);
}

void tst_DesktopVideoPlayer::positionGrowsAndWrapsWithVirtualTime()
{
    const QUrl url = video(QStringLiteral("a"));
    m_backends->setMedia(url, { 4, 500ms, {} });
    start(url, false, 0);
    advance(300ms);
    QCOMPARE(m_player->currentPosition(), 0.0); // still loading
    advance(200ms);
    advance(3s);
    QCOMPARE(m_player->currentPosition(), 3.0);
    advance(2s);
    QCOMPARE(m_player->currentPosition(), 1.0);
    m_player->pause();
    advance(5s);
    QCOMPARE(m_player->currentPosition(), 1.0);
}

QTEST_MAIN(tst_DesktopVideoPlayer)
#include "tst_desktopvideoplayer.moc"
