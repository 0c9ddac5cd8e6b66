// A window held off screen keeps its player's frames drawn at the window's
// size, tells once a frame newer than a given one is drawn (or the window,
// shown meanwhile, draws), and ends once the window draws, or a while after
// the wish came true when it is never shown.
#include "OffscreenFrames.h"
#include "StubFrameFeed.h"

#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

class tst_OffscreenFrames : public QObject
{
    Q_OBJECT

private slots:
    void drawsForTheHeldWindowUntilItDrawsItself();
    void endsWhenTheWindowIsNeverShown();
};

void tst_OffscreenFrames::drawsForTheHeldWindowUntilItDrawsItself()
{
    auto feed = std::make_shared<StubFrameFeed>();
    QQuickWindow window;
    window.resize(320, 200);
    auto frames = std::make_unique<OffscreenFrames>(feed, &window);
    QCOMPARE(feed->sizes.size(), std::size_t(1));
    QCOMPARE(feed->sizes.begin()->second, QSize(320, 200) * window.devicePixelRatio());

    int told = 0;
    feed->deliver(Qt::red);
    frames->whenDrawnAfter(1, [&told] { ++told; });
    QCoreApplication::processEvents();
    QCOMPARE(told, 0);
    QVERIFY(frames->isWaiting());
    // Told from the drawing thread, heard on this one.
    feed->deliver(Qt::green);
    QCOMPARE(told, 0);
    QTRY_COMPARE(told, 1);
    feed->deliver(Qt::blue);
    QCoreApplication::processEvents();
    QCOMPARE(told, 1);
    // A newer frame is there already.
    frames->whenDrawnAfter(2, [&told] { ++told; });
    QCOMPARE(told, 2);

    // Shown before a newer frame came, the window's own first frame ends the wait.
    frames->whenDrawnAfter(3, [&told] { ++told; });
    QSignalSpy ended(frames.get(), &OffscreenFrames::ended);
    window.show();
    QVERIFY(ended.wait());
    QCOMPARE(told, 3);
    frames.reset();
    QVERIFY(feed->callbacks.empty());
}

void tst_OffscreenFrames::endsWhenTheWindowIsNeverShown()
{
    auto feed = std::make_shared<StubFrameFeed>();
    QQuickWindow window;
    window.resize(64, 64);
    OffscreenFrames frames(feed, &window);
    QSignalSpy ended(&frames, &OffscreenFrames::ended);
    int told = 0;
    frames.whenDrawnAfter(0, [&told] { ++told; });
    QCOMPARE(told, 0);
    feed->deliver(Qt::red);
    QTRY_COMPARE(told, 1);
    QVERIFY(ended.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 4000);
}

QTEST_MAIN(tst_OffscreenFrames)
#include "tst_offscreenframes.moc"
