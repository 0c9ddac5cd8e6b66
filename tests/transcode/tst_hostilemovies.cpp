#include "FFmpegHandles.h"
#include "ProcessMemory.h"
#include "TranscodeError.h"
#include "VideoSource.h"

#include <QtTest>

// The movie files of the fuzz corpus that once broke the import: each is
// probed and decoded within the bounds the import keeps to, or refused. All
// are tiny, so decoding one needs a few megabytes at most.
class TestHostileMovies : public QObject
{
    Q_OBJECT

private slots:
    void probeStaysWithinBounds_data();
    void probeStaysWithinBounds();
};

void TestHostileMovies::probeStaysWithinBounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("displayed");

    // A display matrix that scales by 27,000 and shears: taken as the quarter turn it is nearest to.
    QTest::newRow("scaling display matrix") << "found_scaling_display_matrix.mov" << QSize(18, 32);
    // A 32 × 18 track with a frame that asks for 14151 × 9922 pixels: 270 MB for 1.4 KB.
    QTest::newRow("oversized frame") << "found_oversized_vp9_frame.webm" << QSize(32, 18);
}

void TestHostileMovies::probeStaysWithinBounds()
{
    QFETCH(QString, name);
    QFETCH(QSize, displayed);

    const QString path = QFINDTESTDATA("../../fuzz/corpus/movies/" + name);
    QVERIFY(!path.isEmpty());
    ProcessMemory::resetPeak();
    const qint64 before = ProcessMemory::residentKB();
    VideoSource video(path);
    QCOMPARE(video.displayedSize(), displayed);
    const FFmpeg::FramePtr frame = FFmpeg::makeFrame();
    try {
        while (video.read(*frame))
            QVERIFY(int64_t(frame->width) * frame->height <= VideoSource::maxPixels);
    } catch (const MediaError&) {
        // Refused: what was decoded before stayed within the bound.
    }
    QVERIFY2(ProcessMemory::peakKB() - before < 64 * 1024,
        qPrintable(QString("grew by %1 KB").arg(ProcessMemory::peakKB() - before)));
}

QTEST_GUILESS_MAIN(TestHostileMovies)
#include "tst_hostilemovies.moc"
