// A player's view of the frames drawn in memory: it asks its source for the
// largest size its views want, keeps its last frame while held or while a new
// source has none yet, and tells its views of new frames only when not held.
#include "PlayerFrameFeed.h"
#include "StubFrameFeed.h"

#include <QTest>

namespace {

using StubFeed = StubFrameFeed;

QColor colourOf(const SoftwareFrame& frame) { return frame.image.isNull() ? QColor() : frame.image.pixelColor(0, 0); }

} // namespace

class tst_PlayerFrameFeed : public QObject
{
    Q_OBJECT

private slots:
    void asksForTheLargestViewerSize();
    void heldFeedKeepsItsFrameAndStaysQuiet();
    void newSourceKeepsLastFrameUntilItHasOne();
};

void tst_PlayerFrameFeed::asksForTheLargestViewerSize()
{
    auto source = std::make_shared<StubFeed>();
    auto feed = std::make_shared<PlayerFrameFeed>();
    feed->setSource(source);
    const quint64 small = feed->addViewer([] { });
    const quint64 large = feed->addViewer([] { });
    feed->setViewerSize(small, QSize(640, 360));
    feed->setViewerSize(large, QSize(1920, 1080));
    QCOMPARE(source->sizes.begin()->second, QSize(1920, 1080));
    feed->removeViewer(large);
    QCOMPARE(source->sizes.begin()->second, QSize(640, 360));
    QCOMPARE(feed->softwareFeed().get(), feed.get());
}

void tst_PlayerFrameFeed::heldFeedKeepsItsFrameAndStaysQuiet()
{
    auto source = std::make_shared<StubFeed>();
    auto feed = std::make_shared<PlayerFrameFeed>();
    feed->setSource(source);
    int told = 0;
    feed->addViewer([&told] { ++told; });

    source->deliver(Qt::blue);
    QCOMPARE(told, 1);
    const SoftwareFrame shown = feed->latestFrame();
    QCOMPARE(colourOf(shown), QColor(Qt::blue));

    feed->setHeld(true);
    source->deliver(Qt::green);
    QCOMPARE(told, 1);
    QCOMPARE(feed->latestFrame().serial, shown.serial);
    QCOMPARE(colourOf(feed->latestFrame()), QColor(Qt::blue));

    // Released, the views catch up at once.
    feed->setHeld(false);
    QCOMPARE(told, 2);
    QCOMPARE(colourOf(feed->latestFrame()), QColor(Qt::green));
    QVERIFY(feed->latestFrame().serial > shown.serial);
}

void tst_PlayerFrameFeed::newSourceKeepsLastFrameUntilItHasOne()
{
    auto first = std::make_shared<StubFeed>();
    auto second = std::make_shared<StubFeed>();
    auto feed = std::make_shared<PlayerFrameFeed>();
    feed->setSource(first);
    const quint64 viewer = feed->addViewer([] { });
    feed->setViewerSize(viewer, QSize(320, 180));
    first->deliver(Qt::blue);
    const quint64 before = feed->latestFrame().serial;

    feed->setSource(second);
    QVERIFY(first->callbacks.empty());
    QCOMPARE(second->sizes.begin()->second, QSize(320, 180));
    QCOMPARE(colourOf(feed->latestFrame()), QColor(Qt::blue));

    // The new source numbers its frames from 1 again; the feed's own numbers keep growing.
    second->deliver(Qt::red);
    QCOMPARE(colourOf(feed->latestFrame()), QColor(Qt::red));
    QVERIFY(feed->latestFrame().serial > before);
}

QTEST_GUILESS_MAIN(tst_PlayerFrameFeed)
#include "tst_playerframefeed.moc"
