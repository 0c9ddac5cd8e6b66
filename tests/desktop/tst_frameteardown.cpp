// Players drawing in memory let go while their frames are being handed out:
// a view on another thread reads every frame and lets go of the player's feed
// at any moment, after the player and its playback are gone, so the last
// owner of the feed and of its renderer may be any thread but the one that
// draws. Nothing may end on the drawing thread, and no buffer may be drawn
// into again before the view's last read of it is over (run it under
// ThreadSanitizer: scripts/test --tsan). A feed that goes no longer counts
// towards the size its shared playback draws at.
#include "MpvPlayback.h"
#include "MpvPlayerBackend.h"
#include "MpvSoftwareRenderer.h"
#include "TemporaryHome.h"
#include "TestClip.h"
#include "VideoRenderPath.h"

#include <QDeadlineTimer>
#include <QTest>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr int timeout = 20000;

// A view on a thread of its own, as the scene graph's render thread is: it
// reads each new frame's pixels whole, and lets go of the feed when told,
// removing its viewer first unless the scene it belonged to went at once.
class ThreadedView
{
public:
    ThreadedView(std::shared_ptr<SoftwareFrameFeed> feed, QSize size, bool removesViewer = true)
        : m_feed(std::move(feed)), m_removesViewer(removesViewer)
    {
        m_viewer = m_feed->addViewer([this] {
            std::lock_guard lock(m_mutex);
            m_frameWaits = true;
            m_wake.notify_one();
        });
        m_feed->setViewerSize(m_viewer, size);
        m_thread = std::thread([this] { run(); });
    }

    ~ThreadedView()
    {
        letGo();
        m_thread.join();
    }

    int framesRead() const { return m_framesRead.load(); }
    QSize lastSize() const
    {
        std::lock_guard lock(m_mutex);
        return m_lastSize;
    }
    // The view drops its viewer and the feed on its own thread, at once.
    void letGo()
    {
        std::lock_guard lock(m_mutex);
        m_lettingGo = true;
        m_wake.notify_one();
    }

private:
    void run()
    {
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_frameWaits || m_lettingGo; });
                if (m_lettingGo)
                    break;
                m_frameWaits = false;
            }
            const SoftwareFrame frame = m_feed->latestFrame();
            if (frame.image.isNull())
                continue;
            // Every pixel, as an upload into a texture reads them.
            quint32 sum = 0;
            for (int y = 0; y < frame.image.height(); ++y) {
                const auto* row = reinterpret_cast<const quint32*>(frame.image.constScanLine(y));
                for (int x = 0; x < frame.image.width(); ++x)
                    sum += row[x];
            }
            m_checksum.fetch_add(sum, std::memory_order_relaxed);
            {
                std::lock_guard lock(m_mutex);
                m_lastSize = frame.image.size();
            }
            ++m_framesRead;
        }
        if (m_removesViewer)
            m_feed->removeViewer(m_viewer);
        m_feed.reset(); // possibly the last owner of the feed, its renderer and its core
    }

    std::shared_ptr<SoftwareFrameFeed> m_feed;
    quint64 m_viewer = 0;
    const bool m_removesViewer;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_frameWaits = false;
    bool m_lettingGo = false;
    QSize m_lastSize;
    std::atomic<int> m_framesRead { 0 };
    std::atomic<quint32> m_checksum { 0 };
    std::thread m_thread;
};

std::shared_ptr<SoftwareFrameFeed> feedOf(PlayerBackend& player) { return player.frameSource()->softwareFeed(); }

} // namespace

class tst_FrameTeardown : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lettingGoWhileFramesGoOut_data();
    void lettingGoWhileFramesGoOut();
    void departedFeedNoLongerSetsTheSize();

private:
    TemporaryHome m_home;
    QUrl m_clip;
};

void tst_FrameTeardown::initTestCase()
{
    qputenv(VideoRenderPath::environmentVariable, "software");
    QVERIFY(VideoRenderPath::isSoftware());
    TestClip::Recipe recipe;
    recipe.frames = 90;
    recipe.framesPerSecond = 60;
    recipe.movingPattern = true;
    const QString path = m_home.filePath(QStringLiteral("clip.mp4"));
    QString error;
    QVERIFY2(TestClip::write(path, recipe, &error), qPrintable(error));
    m_clip = QUrl::fromLocalFile(path);
}

void tst_FrameTeardown::lettingGoWhileFramesGoOut_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<bool>("viewsGoFirst");
    QTest::newRow("one player, its view goes last") << 1 << false;
    QTest::newRow("two players sharing a playback, their views go last") << 2 << false;
    QTest::newRow("one player, its view goes first") << 1 << true;
}

void tst_FrameTeardown::lettingGoWhileFramesGoOut()
{
    QFETCH(int, players);
    QFETCH(bool, viewsGoFirst);
    MpvPlayerBackendFactory backends;
    for (int round = 0; round < 12; ++round) {
        std::vector<std::unique_ptr<PlayerBackend>> playing;
        std::vector<std::unique_ptr<ThreadedView>> views;
        for (int i = 0; i < players; ++i) {
            playing.push_back(backends.create());
            playing.back()->load(m_clip, std::nullopt);
            playing.back()->play();
            views.push_back(std::make_unique<ThreadedView>(feedOf(*playing.back()), QSize(96 + 32 * i, 54 + 18 * i)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(views.begin(), views.end(), [](const auto& view) { return view->framesRead() >= 3; }),
            timeout);
        // Frames keep going out while everything goes, in either order.
        if (viewsGoFirst) {
            for (const auto& view : views)
                view->letGo();
            QTest::qWait(round % 3 * 7);
            playing.clear();
        } else {
            playing.clear();
            QTest::qWait(round % 3 * 7);
            for (const auto& view : views)
                view->letGo();
        }
        views.clear();
        // The cores end on this thread, after their last owner let go.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void tst_FrameTeardown::departedFeedNoLongerSetsTheSize()
{
    MpvPlayerBackendFactory backends;
    const std::unique_ptr<PlayerBackend> small = backends.create();
    std::unique_ptr<PlayerBackend> large = backends.create();
    small->load(m_clip, std::nullopt);
    large->load(m_clip, std::nullopt);
    auto* smallBackend = static_cast<MpvPlayerBackend*>(small.get());
    QCOMPARE(static_cast<MpvPlayerBackend*>(large.get())->playback(), smallBackend->playback());
    small->play();
    large->play();

    ThreadedView smallView(feedOf(*small), QSize(80, 45));
    auto largeView = std::make_unique<ThreadedView>(feedOf(*large), QSize(320, 180), false);
    QTRY_COMPARE_WITH_TIMEOUT(smallView.lastSize(), QSize(320, 180), timeout);

    // The large player and its feed go, its view without a word: the shared
    // playback draws at the size still asked.
    large.reset();
    largeView.reset();
    QTRY_COMPARE_WITH_TIMEOUT(smallView.lastSize(), QSize(80, 45), timeout);
}

QTEST_MAIN(tst_FrameTeardown)
#include "tst_frameteardown.moc"
