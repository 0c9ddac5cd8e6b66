#include "TestClip.h"
#include "VideoTranscoder.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// An import's files as the ffmpeg suite's own prober sees them: the encoders
// run with threads chosen for the machine, and what they write must not change.
namespace {

struct Probed
{
    QString codec;
    QString profile;
    QString pixelFormat;
    int bitsPerSample = 0;
    double seconds = 0;
    int streams = 0;
};

std::optional<Probed> probe(const QString& path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {"-v", "error", "-select_streams", "v:0", "-show_entries",
                   "stream=codec_name,profile,pix_fmt,bits_per_raw_sample:format=duration,nb_streams", "-of", "json",
                   path});
    if (!ffprobe.waitForFinished(60'000) || ffprobe.exitCode() != 0)
        return std::nullopt;
    const QJsonObject root = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    const QJsonObject stream = root["streams"].toArray().first().toObject();
    const QJsonObject format = root["format"].toObject();
    return Probed{stream["codec_name"].toString(), stream["profile"].toString(), stream["pix_fmt"].toString(),
                  stream["bits_per_raw_sample"].toString().toInt(), format["duration"].toString().toDouble(),
                  format["nb_streams"].toInt()};
}

} // namespace

class TestImportProbe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
            QSKIP("ffprobe is not installed");
    }

    void outputsPassTheProber_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("framesPerSecond");
        QTest::addColumn<int>("frames");
        QTest::addColumn<double>("previewSeconds");
        QTest::newRow("3 s at 30") << QSize(320, 180) << 30 << 90 << 3.0;
        QTest::newRow("7 s at 60, preview cut to 5 s") << QSize(256, 144) << 60 << 420 << 5.0;
    }

    void outputsPassTheProber()
    {
        QFETCH(QSize, size);
        QFETCH(int, framesPerSecond);
        QFETCH(int, frames);
        QFETCH(double, previewSeconds);
        QTemporaryDir dir;
        TestClip::Recipe recipe;
        recipe.size = size;
        recipe.framesPerSecond = framesPerSecond;
        recipe.frames = frames;
        recipe.movingPattern = true;
        recipe.audio = true;
        const QString source = dir.filePath("source.mov");
        QString error;
        QVERIFY2(TestClip::write(source, recipe, &error), qPrintable(error));

        const VideoTranscoder::VideoOutputs outputs{dir.filePath("Clip.mov"), dir.filePath("Poster.png"),
                                                    dir.filePath("preview.mov"), 5.0, 720};
        QFuture<bool> job = VideoTranscoder::transcodeWithPosterAndPreview(source, outputs, size.width(), size.height());
        QVERIFY(job.result());

        const double seconds = double(frames) / framesPerSecond;
        const std::optional<Probed> content = probe(outputs.content);
        QVERIFY(content);
        QCOMPARE(content->codec, QString("hevc"));
        QCOMPARE(content->profile, QString("Main 10"));
        QCOMPARE(content->pixelFormat, QString("yuv420p10le"));
        // ffprobe leaves the raw sample depth unset (0) for HEVC in a movie; the pixel format above carries it.
        QVERIFY(content->bitsPerSample == 0 || content->bitsPerSample == 10);
        QVERIFY2(qAbs(content->seconds - seconds) < 0.05, qPrintable(QString::number(content->seconds)));
        QCOMPARE(content->streams, 1); // no sound

        const std::optional<Probed> preview = probe(outputs.preview);
        QVERIFY(preview);
        QCOMPARE(preview->codec, QString("hevc"));
        QCOMPARE(preview->profile, QString("Main"));
        QCOMPARE(preview->pixelFormat, QString("yuv420p"));
        QVERIFY2(qAbs(preview->seconds - previewSeconds) < 0.05, qPrintable(QString::number(preview->seconds)));
        QCOMPARE(QImage(outputs.poster, "PNG").size(), size);
    }
};

QTEST_GUILESS_MAIN(TestImportProbe)
#include "tst_importprobe.moc"
