#include "MediaProbe.h"
#include "TestClip.h"

#include "HevcSettings.h"
#include "TranscodeError.h"
#include "VideoTranscoder.h"

#include <QImage>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {

// The description of what the job threw, or empty when it succeeded.
template <typename T> QString failureOf(QFuture<T> future)
{
    try {
        future.waitForFinished();
    } catch (const TranscodeError& error) {
        return error.description();
    } catch (const MediaError& error) {
        return error.description();
    }
    return {};
}

// Progress as the callback saw it, from whichever thread called it.
struct ProgressLog
{
    QMutex mutex;
    QList<double> values;
    QStringList threads;
    std::atomic<int> calls { 0 };

    VideoTranscoder::Progress callback()
    {
        return [this](double fraction) {
            QMutexLocker lock(&mutex);
            values.append(fraction);
            const QString name = VideoTranscoder::currentQueueLabel();
            if (!threads.contains(name))
                threads.append(name);
            if (QThread::currentThread() == qApp->thread())
                threads.append(QStringLiteral("main"));
            ++calls;
        };
    }
};

bool isRed(QRgb pixel) { return qRed(pixel) > 180 && qBlue(pixel) < 90; }

bool isBlue(QRgb pixel) { return qBlue(pixel) > 180 && qRed(pixel) < 90; }

// 64 × 36, one second at 30 frames a second, red above and blue below.
TestClip::Recipe small(double seconds = 1.0, int framesPerSecond = 30)
{
    TestClip::Recipe recipe;
    recipe.size = QSize(64, 36);
    recipe.framesPerSecond = framesPerSecond;
    recipe.frames = int(seconds * framesPerSecond);
    recipe.colour = [](int) { return QColor(Qt::red); };
    recipe.lowerHalf = Qt::blue;
    return recipe;
}

} // namespace

class TestVideoTranscoder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void transcodeKeepsOnlyTheFirstVideoTrack();
    void transcodeCarriesTheRotationOfPortraitVideos();
    void transcodeEvensOddSizes();
    void failuresLeaveNoFile_data();
    void failuresLeaveNoFile();
    void cancelledTranscodeLeavesNoFile();
    void bitRates_data();
    void bitRates();
    void previewSizes_data();
    void previewSizes();
    void previewLengthAndFrameRate_data();
    void previewLengthAndFrameRate();
    void previewReplacesItsDestination();
    void previewOfPortraitVideoKeepsItsShape();
    void posterIsUprightAndFullSize_data();
    void posterIsUprightAndFullSize();
    void importFilesComeFromOneDecode();
    void failedPosterTakesTheOtherImportFilesWithIt();
    void failedPreviewLeavesTheImportWhole();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // Writes a clip (the container follows the name) and gives its path.
    QString clip(const QString& name, const TestClip::Recipe& recipe = small())
    {
        const QString file = path(name);
        QString error;
        if (!TestClip::write(file, recipe, &error))
            QTest::qFail(qPrintable("cannot write the test clip: " + error), __FILE__, __LINE__);
        return file;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestVideoTranscoder::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestVideoTranscoder::transcodeKeepsOnlyTheFirstVideoTrack()
{
    TestClip::Recipe recipe = small(2.0);
    recipe.audio = true;
    const QString source = clip("holiday.mov", recipe);
    QCOMPARE(MediaProbe::of(source).audioTracks, 1);

    ProgressLog progress;
    const QString output = path("out.mov");
    QCOMPARE(failureOf(VideoTranscoder::transcodeToHEVCMain10(source, output, 64, 36, progress.callback())), QString());

    const MediaProbe::Probe movie = MediaProbe::of(output);
    QVERIFY(movie.readable);
    QCOMPARE(movie.videoTracks, 1);
    QCOMPARE(movie.audioTracks, 0);
    QCOMPARE(movie.codec, AV_CODEC_ID_HEVC);
    QCOMPARE(movie.profile, FF_PROFILE_HEVC_MAIN_10);
    QCOMPARE(movie.pixelFormat, int(AV_PIX_FMT_YUV420P10LE));
    QCOMPARE(movie.codecTag, uint32_t(MKTAG('h', 'v', 'c', '1')));
    QCOMPARE(movie.size, QSize(64, 36));
    QCOMPARE(movie.frames, 60);
    QVERIFY2(qAbs(movie.seconds - 2.0) < 0.05, qPrintable(QString::number(movie.seconds)));

    // Progress rises with the frames' times, never past 1, and ends on exactly 1 once the file is whole.
    QVERIFY(progress.values.size() > 2);
    QCOMPARE(progress.values.last(), 1.0);
    for (qsizetype i = 1; i < progress.values.size(); ++i)
        QVERIFY(progress.values[i] >= progress.values[i - 1] && progress.values[i] <= 1.0);
    QVERIFY(progress.values[progress.values.size() - 2] > 0.9);
    QCOMPARE(progress.threads, QStringList { VideoTranscoder::transcodeQueueLabel });
}

void TestVideoTranscoder::transcodeCarriesTheRotationOfPortraitVideos()
{
    TestClip::Recipe recipe = small();
    recipe.rotationClockwise = 90;
    const QString source = clip("portrait.mov", recipe);
    const QString output = path("out.mov");
    // Callers pass the displayed size; the movie stores its frames as the source
    // does and turns them the same way, rather than squeezing and turning them twice.
    QCOMPARE(failureOf(VideoTranscoder::transcodeToHEVCMain10(source, output, 36, 64)), QString());
    const MediaProbe::Probe movie = MediaProbe::of(output);
    QCOMPARE(movie.size, QSize(64, 36));
    QCOMPARE(movie.rotationClockwise, 90.0);
}

void TestVideoTranscoder::transcodeEvensOddSizes()
{
    TestClip::Recipe recipe = small(0.2);
    recipe.size = QSize(89, 51);
    recipe.encoder = "ffv1";
    const QString source = clip("odd.mkv", recipe);
    const QString output = path("out.mov");
    QCOMPARE(failureOf(VideoTranscoder::transcodeToHEVCMain10(source, output, 89, 51)), QString());
    QCOMPARE(MediaProbe::of(output).size, QSize(88, 50));
}

void TestVideoTranscoder::failuresLeaveNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");

    QTest::newRow("audio only") << "audio"
                                << "No video track found in the file";
    QTest::newRow("not a movie") << "text"
                                 << "Could not open the video — Invalid data found when processing input";
    QTest::newRow("missing file") << "missing"
                                  << "Could not open the video — No such file or directory";
    QTest::newRow("cut short") << "truncated"
                               << "Could not open the video — Invalid data found when processing input";
}

void TestVideoTranscoder::failuresLeaveNoFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);

    QString source = path("source.mov");
    if (kind == "audio") {
        TestClip::Recipe recipe = small();
        recipe.video = false;
        recipe.audio = true;
        clip("source.mov", recipe);
    } else if (kind == "text") {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"not\": \"a movie\"}");
    } else if (kind == "truncated") {
        // Without its index at the end a movie cannot be read.
        clip("source.mov");
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(64));
    }
    const QString output = path("out.mov");
    QCOMPARE(failureOf(VideoTranscoder::transcodeToHEVCMain10(source, output, 64, 36)), message);
    QVERIFY(!QFile::exists(output));
    QCOMPARE(failureOf(VideoTranscoder::generatePoster(source, path("Poster.png"))), message);
    QVERIFY(!QFile::exists(path("Poster.png")));
}

void TestVideoTranscoder::cancelledTranscodeLeavesNoFile()
{
    TestClip::Recipe recipe = small(20);
    recipe.size = QSize(640, 360);
    const QString source = clip("long.mov", recipe);
    ProgressLog progress;
    QFuture<void> job = VideoTranscoder::transcodeToHEVCMain10(source, path("out.mov"), 640, 360, progress.callback());
    QTRY_VERIFY_WITH_TIMEOUT(progress.calls > 0, 20000);
    job.cancel();
    QCOMPARE(failureOf(job), QString());
    QVERIFY(job.isCanceled());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { "long.mov" });
    QVERIFY(progress.values.last() < 1.0);
}

void TestVideoTranscoder::bitRates_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qint64>("main10");
    QTest::addColumn<qint64>("preview");

    QTest::newRow("720p under the cap") << QSize(1280, 720) << qint64(9'216'000) << qint64(3'686'400);
    QTest::newRow("1080p reaches the cap") << QSize(1920, 1080) << qint64(20'000'000) << qint64(8'294'400);
    QTest::newRow("portrait 1080p too") << QSize(1080, 1920) << qint64(20'000'000) << qint64(8'294'400);
    QTest::newRow("huge sizes do not overflow")
        << QSize(100'000, 100'000) << qint64(20'000'000) << qint64(40'000'000'000);
}

void TestVideoTranscoder::bitRates()
{
    QFETCH(QSize, size);
    QFETCH(qint64, main10);
    QFETCH(qint64, preview);
    QCOMPARE(HevcSettings::main10BitRate(size), main10);
    QCOMPARE(HevcSettings::previewBitRate(size), preview);
}

void TestVideoTranscoder::previewSizes_data()
{
    QTest::addColumn<QSize>("displayed");
    QTest::addColumn<int>("maxHeight");
    QTest::addColumn<QSize>("preview");

    QTest::newRow("1080p") << QSize(1920, 1080) << 720 << QSize(1280, 720);
    QTest::newRow("1919x1079 scales to exactly 720 high") << QSize(1919, 1079) << 720 << QSize(1280, 720);
    QTest::newRow("4K") << QSize(3840, 2160) << 720 << QSize(1280, 720);
    QTest::newRow("portrait") << QSize(1080, 1920) << 720 << QSize(404, 720);
    QTest::newRow("never enlarged") << QSize(888, 500) << 720 << QSize(888, 500);
    QTest::newRow("odd width cut to even") << QSize(889, 500) << 720 << QSize(888, 500);
    QTest::newRow("small stays") << QSize(640, 360) << 720 << QSize(640, 360);
}

void TestVideoTranscoder::previewSizes()
{
    QFETCH(QSize, displayed);
    QFETCH(int, maxHeight);
    QFETCH(QSize, preview);
    QCOMPARE(HevcSettings::previewSize(displayed, maxHeight), preview);
}

void TestVideoTranscoder::previewLengthAndFrameRate_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("framesPerSecond");
    QTest::addColumn<double>("previewSeconds");
    QTest::addColumn<int>("previewFrames");

    QTest::newRow("2 s stays 2 s") << 2.0 << 30 << 2.0 << 60;
    QTest::newRow("60 s becomes 5 s") << 60.0 << 10 << 5.0 << 50;
    QTest::newRow("60 frames a second become 30") << 2.0 << 60 << 2.0 << 60;
}

void TestVideoTranscoder::previewLengthAndFrameRate()
{
    QFETCH(double, seconds);
    QFETCH(int, framesPerSecond);
    QFETCH(double, previewSeconds);
    QFETCH(int, previewFrames);

    const QString source = clip("source.mov", small(seconds, framesPerSecond));
    const QString output = path("preview.mov");
    QCOMPARE(failureOf(VideoTranscoder::generatePreviewClip(source, output, 5.0, 720)), QString());
    const MediaProbe::Probe preview = MediaProbe::of(output);
    QCOMPARE(preview.codec, AV_CODEC_ID_HEVC);
    QCOMPARE(preview.pixelFormat, int(AV_PIX_FMT_YUV420P));
    QCOMPARE(preview.size, QSize(64, 36));
    QCOMPARE(preview.frames, previewFrames);
    QVERIFY2(qAbs(preview.seconds - previewSeconds) < 0.05, qPrintable(QString::number(preview.seconds)));
}

void TestVideoTranscoder::previewReplacesItsDestination()
{
    const QString source = clip("source.mov");
    const QString output = path("preview.mov");
    QFile old(output);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older preview");
    old.close();
    QCOMPARE(failureOf(VideoTranscoder::generatePreviewClip(source, output, 5.0, 720)), QString());
    QCOMPARE(MediaProbe::of(output).codec, AV_CODEC_ID_HEVC);
}

void TestVideoTranscoder::previewOfPortraitVideoKeepsItsShape()
{
    TestClip::Recipe recipe = small();
    recipe.rotationClockwise = 90;
    const QString source = clip("portrait.mov", recipe);
    const QString output = path("preview.mov");
    // Displayed 36 × 64, scaled to 32 high: 18 × 32, stored unturned as 32 × 18.
    QCOMPARE(failureOf(VideoTranscoder::generatePreviewClip(source, output, 5.0, 32)), QString());
    const MediaProbe::Probe preview = MediaProbe::of(output);
    QCOMPARE(preview.size, QSize(32, 18));
    QCOMPARE(preview.rotationClockwise, 90.0);
}

void TestVideoTranscoder::posterIsUprightAndFullSize_data()
{
    QTest::addColumn<int>("rotation");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("red"); // a point of the poster that shows the stored upper half
    QTest::addColumn<QPoint>("blue");

    QTest::newRow("landscape") << 0 << QSize(64, 36) << QPoint(32, 5) << QPoint(32, 30);
    QTest::newRow("phone held upright") << 90 << QSize(36, 64) << QPoint(30, 32) << QPoint(5, 32);
    QTest::newRow("upside down") << 180 << QSize(64, 36) << QPoint(32, 30) << QPoint(32, 5);
    QTest::newRow("phone turned the other way") << 270 << QSize(36, 64) << QPoint(5, 32) << QPoint(30, 32);
}

void TestVideoTranscoder::posterIsUprightAndFullSize()
{
    QFETCH(int, rotation);
    QFETCH(QSize, size);
    QFETCH(QPoint, red);
    QFETCH(QPoint, blue);

    TestClip::Recipe recipe = small();
    recipe.rotationClockwise = rotation;
    const QString source = clip("source.mov", recipe);
    const QString poster = path("Poster.png");
    QCOMPARE(failureOf(VideoTranscoder::generatePoster(source, poster)), QString());
    const QImage image(poster, "PNG");
    QCOMPARE(image.size(), size);
    QVERIFY(isRed(image.pixel(red)));
    QVERIFY(isBlue(image.pixel(blue)));
}

void TestVideoTranscoder::importFilesComeFromOneDecode()
{
    TestClip::Recipe recipe = small(7, 60);
    recipe.size = QSize(96, 54);
    recipe.rotationClockwise = 90;
    const QString source = clip("portrait.mov", recipe);
    const VideoTranscoder::VideoOutputs outputs { path("Portrait.mov"), path("Poster.png"), path("preview.mov"), 5.0,
        32 };
    ProgressLog progress;
    QFuture<bool> job = VideoTranscoder::transcodeWithPosterAndPreview(source, outputs, 54, 96, progress.callback());
    QCOMPARE(failureOf(job), QString());
    QVERIFY(job.result());

    const MediaProbe::Probe content = MediaProbe::of(outputs.content);
    QCOMPARE(content.profile, FF_PROFILE_HEVC_MAIN_10);
    QCOMPARE(content.size, QSize(96, 54));
    QCOMPARE(content.rotationClockwise, 90.0);
    QCOMPARE(content.frames, 420);
    const MediaProbe::Probe preview = MediaProbe::of(outputs.preview);
    QCOMPARE(preview.pixelFormat, int(AV_PIX_FMT_YUV420P));
    QCOMPARE(preview.size, QSize(32, 18));
    QCOMPARE(preview.rotationClockwise, 90.0);
    QCOMPARE(preview.frames, 150);
    QCOMPARE(QImage(outputs.poster).size(), QSize(54, 96));
    QCOMPARE(progress.values.last(), 1.0);
}

void TestVideoTranscoder::failedPosterTakesTheOtherImportFilesWithIt()
{
    const QString source = clip("source.mov");
    const VideoTranscoder::VideoOutputs outputs { path("Clip.mov"), path("missing/Poster.png"), path("preview.mov") };
    const QString message = failureOf(VideoTranscoder::transcodeWithPosterAndPreview(source, outputs, 64, 36));
    QVERIFY2(message.startsWith("Could not write the poster — "), qPrintable(message));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { "source.mov" });
}

void TestVideoTranscoder::failedPreviewLeavesTheImportWhole()
{
    const QString source = clip("source.mov");
    const VideoTranscoder::VideoOutputs outputs { path("Clip.mov"), path("Poster.png"), path("missing/preview.mov") };
    QFuture<bool> job = VideoTranscoder::transcodeWithPosterAndPreview(source, outputs, 64, 36);
    QCOMPARE(failureOf(job), QString());
    QVERIFY(!job.result());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), (QStringList { "Clip.mov", "Poster.png", "source.mov" }));
}

QTEST_GUILESS_MAIN(TestVideoTranscoder)
#include "tst_videotranscoder.moc"
