// Frames put straight into an X window. With MIT-SHM: only frames that lie in
// shared memory go out, by descriptor or by System V id, they reach the screen
// where asked, each is kept until the server has read it, and the server lets
// go of the pages of frames this process has freed. Without it: the pixels go
// in the requests, cropped and in bands as large frames need, and the frame is
// free at once. On both, direct frames wait while the scene renders.
#include "DirectFramePath.h"
#include "SharedFramePages.h"
#include "XShmWindowOutput.h"

#include "MitShm.h"
#include "TestPictures.h"

#include <QGuiApplication>
#include <QRasterWindow>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <atomic>

#include <sys/shm.h>

namespace {

// A frame of one colour in pages of the kind asked for; released turns true
// once every copy of its image is gone.
SoftwareFrame sharedFrame(QSize size, QColor colour, SharedFramePages::Kind kind,
    std::shared_ptr<std::atomic<bool>> released = std::make_shared<std::atomic<bool>>(false))
{
    std::shared_ptr<SharedFramePages> pages
        = SharedFramePages::map(std::size_t(size.width()) * 4 * std::size_t(size.height()), kind);
    if (!pages)
        return {};
    struct Holder
    {
        std::shared_ptr<SharedFramePages> pages;
        std::shared_ptr<std::atomic<bool>> released;
    };
    QImage image(static_cast<uchar*>(pages->address()), size.width(), size.height(), size.width() * 4,
        QImage::Format_RGB32,
        [](void* info) {
            auto* holder = static_cast<Holder*>(info);
            holder->released->store(true);
            delete holder;
        },
        new Holder { pages, released });
    image.fill(colour);
    return { image, 1, pages, {} };
}

bool segmentExists(int id)
{
    shmid_ds state {};
    return shmctl(id, IPC_STAT, &state) == 0;
}

// One frame at a time, as a player's feed hands them out.
class OneFrameFeed final : public SoftwareFrameFeed
{
public:
    quint64 addViewer(std::function<void()>) override { return 1; }
    void setViewerSize(quint64, QSize) override { }
    void removeViewer(quint64) override { }
    SoftwareFrame latestFrame() const override { return frame; }
    SoftwareFrame frame;
};

} // namespace

class tst_XShmWindowOutput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void putsSharedFramesAndLetsGoOfFreedOnes_data();
    void putsSharedFramesAndLetsGoOfFreedOnes();
    void keepsAFrameUntilTheServerHasReadIt();
    void sendsTheFrameInTheRequestsWithoutMitShm();
    void directFramesWaitWhileTheSceneRenders();

private:
    std::unique_ptr<QRasterWindow> m_window;
    std::shared_ptr<XShmWindowOutput> m_output;
};

static QImage screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

static const QRect inside(110, 110, 140, 70);
static const QRect source(20, 5, 160, 90);

void tst_XShmWindowOutput::init()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    m_window = std::make_unique<QRasterWindow>();
    m_window->setGeometry(100, 100, 160, 90);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The window's own paints of its first exposes would cover the frames put after them.
    QTest::qWait(200);
    m_output = XShmWindowOutput::create(m_window.get());
    QVERIFY(m_output);
    QCOMPARE(XShmWindowOutput::pagesServerReads() == SharedFramePages::Kind::plain, !serverHasMitShm());
}

void tst_XShmWindowOutput::putsSharedFramesAndLetsGoOfFreedOnes_data()
{
    QTest::addColumn<SharedFramePages::Kind>("kind");
    QTest::newRow("by descriptor") << SharedFramePages::Kind::descriptor;
    QTest::newRow("by System V id") << SharedFramePages::Kind::systemV;
}

void tst_XShmWindowOutput::putsSharedFramesAndLetsGoOfFreedOnes()
{
    QFETCH(SharedFramePages::Kind, kind);
    if (!serverHasMitShm())
        QSKIP("the X server has no MIT-SHM: frames go in the requests");
    if (kind == SharedFramePages::Kind::descriptor && XShmWindowOutput::pagesServerReads() != kind)
        QSKIP("the X server takes no descriptors (MIT-SHM before 1.2)");

    // A frame in ordinary memory cannot be read in place.
    QImage plain(200, 100, QImage::Format_RGB32);
    plain.fill(Qt::red);
    QVERIFY(!m_output->put({ plain, 1, nullptr, {} }, source, QPoint(0, 0)));
    // Nor the part of a frame that lies outside it.
    SoftwareFrame blue = sharedFrame(QSize(200, 100), Qt::blue, kind);
    QVERIFY(blue.pages);
    QVERIFY(!m_output->put(blue, QRect(60, 20, 160, 90), QPoint(0, 0)));

    QVERIFY(m_output->put(blue, source, QPoint(0, 0)));
    QTRY_COMPARE(TestPictures::count(screen(), inside, Qt::blue), inside.width() * inside.height());

    // The blue frame is freed here; once the next pages are attached the server holds it no more.
    const int blueSegment = blue.pages->systemVId();
    blue = {};
    QTRY_COMPARE(m_output->framesBeingRead(), 0);
    const SoftwareFrame green = sharedFrame(QSize(200, 100), Qt::green, kind);
    const SoftwareFrame yellow = sharedFrame(QSize(200, 100), Qt::yellow, kind);
    QVERIFY(m_output->put(green, source, QPoint(0, 0)));
    QVERIFY(m_output->put(yellow, source, QPoint(0, 0)));
    QTRY_COMPARE(TestPictures::count(screen(), inside, Qt::yellow), inside.width() * inside.height());
    if (kind == SharedFramePages::Kind::systemV) {
        QTRY_VERIFY(!segmentExists(blueSegment));
        // Those still in use here stay attached.
        QVERIFY(segmentExists(green.pages->systemVId()));
    }
}

void tst_XShmWindowOutput::keepsAFrameUntilTheServerHasReadIt()
{
    if (!serverHasMitShm())
        QSKIP("the X server has no MIT-SHM: frames go in the requests");
    const auto released = std::make_shared<std::atomic<bool>>(false);
    SoftwareFrame frame = sharedFrame(QSize(200, 100), Qt::cyan, XShmWindowOutput::pagesServerReads(), released);
    QVERIFY(m_output->put(frame, source, QPoint(0, 0)));
    frame = {};
    // The server's report comes in with the other X events: not before this returns to the event loop.
    QVERIFY(!released->load());
    QCOMPARE(m_output->framesBeingRead(), 1);
    // Then the frame goes, with no other put after it.
    QTRY_VERIFY(released->load());
    QCOMPARE(m_output->framesBeingRead(), 0);
    QTRY_COMPARE(TestPictures::count(screen(), inside, Qt::cyan), inside.width() * inside.height());
}

void tst_XShmWindowOutput::sendsTheFrameInTheRequestsWithoutMitShm()
{
    if (serverHasMitShm())
        QSKIP("the X server reads frames in place");
    // Larger than one request takes: each row has a colour of its own.
    const QSize size(2200, 2100);
    const auto rowColour = [](int row) { return qRgb(row / 256 * 25, row % 256, 255 - row % 256); };
    const auto released = std::make_shared<std::atomic<bool>>(false);
    SoftwareFrame frame = sharedFrame(size, Qt::black, SharedFramePages::Kind::plain, released);
    for (int row = 0; row < size.height(); ++row)
        std::fill_n(reinterpret_cast<QRgb*>(frame.image.scanLine(row)), size.width(), rowColour(row));
    const auto showsRowsFrom = [&](int first) {
        const QImage shown = screen();
        for (int row = 0; row < m_window->height(); ++row) {
            if (shown.pixel(180, 100 + row) != rowColour(first + row))
                return false;
        }
        return true;
    };
    // Cropped on the left, as a view that fills the window does.
    const QRect cropped(20, 0, 2180, 2100);
    QVERIFY(m_output->put(frame, cropped, QPoint(0, 0)));
    QTRY_VERIFY(showsRowsFrom(0));
    // The rows of the last band land where they belong too.
    QVERIFY(m_output->put(frame, cropped, QPoint(0, -2000)));
    QTRY_VERIFY(showsRowsFrom(2000));
    QVERIFY(m_output->put(frame, QRect(QPoint(0, 0), size), QPoint(0, -1000)));
    QTRY_VERIFY(showsRowsFrom(1000));
    QCOMPARE(m_output->framesBeingRead(), 0);
    frame = {};
    QVERIFY(released->load());
}

void tst_XShmWindowOutput::directFramesWaitWhileTheSceneRenders()
{
    const SharedFramePages::Kind kind = XShmWindowOutput::pagesServerReads();
    OneFrameFeed feed;
    std::atomic<quint64> framesShown { 0 };
    DirectFramePath path;
    // Aimed during the sync of a scene frame: a frame offered meanwhile waits for that one.
    path.aim(DirectFramePath::Aim { m_output, &feed, QSize(200, 100), source, QPoint(0, 0), 0, &framesShown });
    feed.frame = sharedFrame(QSize(200, 100), Qt::green, kind);
    QVERIFY(path.offer(&feed));
    QCOMPARE(framesShown.load(), 0u);
    path.releaseAfterScene();
    QCOMPARE(framesShown.load(), 1u);
    QTRY_COMPARE(TestPictures::count(screen(), inside, Qt::green), inside.width() * inside.height());

    // While the scene renders, a new frame is taken but waits.
    path.holdForScene();
    feed.frame = sharedFrame(QSize(200, 100), Qt::magenta, kind);
    feed.frame.serial = 2;
    QVERIFY(path.offer(&feed));
    QCOMPARE(framesShown.load(), 1u);
    QCOMPARE(TestPictures::count(screen(), inside, Qt::green), inside.width() * inside.height());
    // Once the scene's frame is out, the newest goes.
    path.releaseAfterScene();
    QCOMPARE(framesShown.load(), 2u);
    QTRY_COMPARE(TestPictures::count(screen(), inside, Qt::magenta), inside.width() * inside.height());
    path.aim(std::nullopt);
    QVERIFY(!path.offer(&feed));
}

QTEST_MAIN(tst_XShmWindowOutput)
#include "tst_xshmwindowoutput.moc"
