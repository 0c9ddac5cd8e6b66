// Frames put into an X window straight from shared memory: only frames that
// lie in shared memory go out, they reach the screen where asked, and the
// server lets go of the segments of frames this process has freed, so that
// their pages do not live on in it.
#include "XShmWindowOutput.h"

#include "TestPictures.h"

#include <QGuiApplication>
#include <QRasterWindow>
#include <QScreen>
#include <QTest>

#include <sys/shm.h>

namespace {

// A frame of one colour in a segment of its own, removed once every mapping is gone.
SoftwareFrame sharedFrame(QSize size, QColor colour)
{
    const int id = shmget(IPC_PRIVATE, std::size_t(size.width()) * 4 * std::size_t(size.height()), IPC_CREAT | 0600);
    void* pixels = shmat(id, nullptr, 0);
    shmctl(id, IPC_RMID, nullptr);
    QImage image(static_cast<uchar*>(pixels), size.width(), size.height(), size.width() * 4, QImage::Format_RGB32,
        [](void* address) { shmdt(address); }, pixels);
    image.fill(colour);
    return { image, 1, id };
}

bool segmentExists(int id)
{
    shmid_ds state {};
    return shmctl(id, IPC_STAT, &state) == 0;
}

} // namespace

class tst_XShmWindowOutput : public QObject
{
    Q_OBJECT

private slots:
    void putsSharedFramesAndLetsGoOfFreedOnes();
};

void tst_XShmWindowOutput::putsSharedFramesAndLetsGoOfFreedOnes()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QRasterWindow window;
    window.setGeometry(100, 100, 160, 90);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const std::shared_ptr<XShmWindowOutput> output = XShmWindowOutput::create(&window);
    QVERIFY(output);
    const auto screen = [] { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); };

    // A frame in ordinary memory cannot be read in place.
    QImage plain(200, 100, QImage::Format_RGB32);
    plain.fill(Qt::red);
    QVERIFY(!output->put({ plain, 1, -1 }, QRect(20, 5, 160, 90), QPoint(0, 0)));
    // Nor the part of a frame that lies outside it.
    SoftwareFrame blue = sharedFrame(QSize(200, 100), Qt::blue);
    QVERIFY(!output->put(blue, QRect(60, 20, 160, 90), QPoint(0, 0)));

    QVERIFY(output->put(blue, QRect(20, 5, 160, 90), QPoint(0, 0)));
    const QRect inside(110, 110, 140, 70);
    QTRY_COMPARE(TestPictures::count(screen(), inside, Qt::blue), inside.width() * inside.height());

    // The blue frame is freed here; once the next segment is attached the server holds it no more.
    const int blueSegment = blue.sharedMemoryId;
    blue = {};
    const SoftwareFrame green = sharedFrame(QSize(200, 100), Qt::green);
    const SoftwareFrame yellow = sharedFrame(QSize(200, 100), Qt::yellow);
    QVERIFY(output->put(green, QRect(20, 5, 160, 90), QPoint(0, 0)));
    QVERIFY(output->put(yellow, QRect(20, 5, 160, 90), QPoint(0, 0)));
    QTRY_COMPARE(TestPictures::count(screen(), inside, Qt::yellow), inside.width() * inside.height());
    QTRY_VERIFY(!segmentExists(blueSegment));
    // Those still in use here stay attached.
    QVERIFY(segmentExists(green.sharedMemoryId));
}

QTEST_MAIN(tst_XShmWindowOutput)
#include "tst_xshmwindowoutput.moc"
