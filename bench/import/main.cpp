// Times the import of generated 10 s clips (transcode, poster, preview) through our
// pipeline against the ffmpeg command line doing the same three jobs one after
// another with the same x265 settings, and checks every output with ffprobe.
//
//   bench_import [work folder [clip name]]
//   (default: a temporary folder; clips are kept in it between runs; all clips)

#include "BenchFigures.h"
#include "HevcSettings.h"
#include "VideoTranscoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

using BenchFigures::loadAverage;

struct Clip
{
    QString name;
    QSize stored;
    int framesPerSecond;
    int rotation; // clockwise, as the display matrix turns it
    QSize displayed() const { return rotation % 180 ? stored.transposed() : stored; }
};

const QList<Clip> clips = {
    { "720p30", { 1280, 720 }, 30, 0 },
    { "1080p60", { 1920, 1080 }, 60, 0 },
    { "2160p30", { 3840, 2160 }, 30, 0 },
    { "portrait1080p30", { 1920, 1080 }, 30, 90 },
};
constexpr double clipSeconds = 10.0;
constexpr double previewSeconds = 5.0;
constexpr int previewHeight = 720;

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Runs a program to its end; false when it fails.
bool run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(output ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

bool ffmpeg(const QStringList& arguments)
{
    return run("ffmpeg", QStringList { "-nostdin", "-hide_banner", "-loglevel", "error", "-y" } + arguments);
}

// Wall time and processor time (this process's threads and the programs it waited for) of one job.
struct Cost
{
    double wall = 0;
    double cpu = 0;
    Cost& operator+=(const Cost& other)
    {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
};

double processorSeconds()
{
    double total = 0;
    for (int who : { RUSAGE_SELF, RUSAGE_CHILDREN }) {
        rusage usage {};
        getrusage(who, &usage);
        total
            += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

Cost measure(const std::function<bool()>& job, bool* ok)
{
    QElapsedTimer timer;
    const double cpuBefore = processorSeconds();
    timer.start();
    *ok = job() && *ok;
    return { timer.nsecsElapsed() / 1e9, processorSeconds() - cpuBefore };
}

// A clip like a camera's: moving detail with sensor noise, H.264, turned by its display matrix.
QString makeClip(const QDir& folder, const Clip& clip)
{
    const QString path = folder.filePath(clip.name + ".mp4");
    if (QFile::exists(path))
        return path;
    const QString plain = folder.filePath(clip.name + "-plain.mp4");
    const QString source = QString("testsrc2=size=%1x%2:rate=%3,noise=alls=6:allf=t")
                               .arg(clip.stored.width())
                               .arg(clip.stored.height())
                               .arg(clip.framesPerSecond);
    if (!ffmpeg({ "-f", "lavfi", "-i", source, "-t", QString::number(clipSeconds), "-c:v", "libx264", "-preset",
            "veryfast", "-crf", "16", "-pix_fmt", "yuv420p", plain }))
        return {};
    // The display matrix is set on a stream copy.
    QStringList turn = { "-i", plain, "-c", "copy" };
    if (clip.rotation)
        turn += { "-metadata:s:v:0", QString("rotate=%1").arg(clip.rotation) };
    if (!ffmpeg(turn + QStringList { path }))
        return {};
    QFile::remove(plain);
    return path;
}

QStringList x265(const QString& pixelFormat, qint64 bitRate)
{
    return { "-c:v", "libx265", "-preset", HevcSettings::preset, "-pix_fmt", pixelFormat, "-b:v",
        QString::number(bitRate), "-tag:v", "hvc1", "-x265-params", "log-level=error" };
}

bool commandLineTranscode(const QString& source, const QString& output, const Clip& clip)
{
    // -noautorotate: keep the stored frames and carry the rotation, as ours does.
    return ffmpeg(QStringList { "-noautorotate", "-i", source, "-map", "0:v:0", "-an", "-profile:v", "main10" }
        + x265("yuv420p10le", HevcSettings::main10BitRate(clip.displayed())) + QStringList { output });
}

bool commandLinePoster(const QString& source, const QString& output)
{
    return ffmpeg({ "-i", source, "-frames:v", "1", "-update", "1", output });
}

bool commandLinePreview(const QString& content, const QString& output, const Clip& clip)
{
    const QSize displayed = HevcSettings::previewSize(clip.displayed(), previewHeight);
    const QSize stored = clip.rotation % 180 ? displayed.transposed() : displayed;
    return ffmpeg(QStringList { "-noautorotate", "-i", content, "-t", QString::number(previewSeconds), "-an", "-vf",
                      QString("scale=%1:%2").arg(stored.width()).arg(stored.height()), "-fpsmax", "30" }
        + x265("yuv420p", HevcSettings::previewBitRate(displayed)) + QStringList { output });
}

bool finished(QFuture<void> job)
{
    try {
        job.waitForFinished();
        return true;
    } catch (const std::exception& error) {
        say(QString("  failed: %1").arg(QString::fromUtf8(error.what())));
        return false;
    }
}

bool finishedWithPreview(QFuture<bool> job)
{
    try {
        return job.result();
    } catch (const std::exception& error) {
        say(QString("  failed: %1").arg(QString::fromUtf8(error.what())));
        return false;
    }
}

struct Expected
{
    QString profile;
    QString pixelFormat;
    QSize size;
    int rotation;
    double seconds;
};

// What ffprobe reports against what the movie should be; prints what differs.
bool probeMatches(const QString& path, const Expected& expected)
{
    QByteArray json;
    if (!run("ffprobe",
            { "-v", "error", "-select_streams", "v:0", "-show_entries",
                "stream=profile,pix_fmt,width,height,codec_tag_string:stream_side_data=rotation:"
                "format=duration:format=nb_streams",
                "-of", "json", path },
            &json)) {
        say("  ffprobe cannot read " + path);
        return false;
    }
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    const QJsonObject stream = root["streams"].toArray().first().toObject();
    // ffprobe reports the turn as the rotate tag names it, clockwise.
    const int rotation = stream["side_data_list"].toArray().first().toObject()["rotation"].toInt();
    const double duration = root["format"].toObject()["duration"].toString().toDouble();
    const QSize size(stream["width"].toInt(), stream["height"].toInt());
    const bool ok = stream["profile"].toString() == expected.profile
        && stream["pix_fmt"].toString() == expected.pixelFormat && stream["codec_tag_string"] == "hvc1"
        && size == expected.size && ((rotation - expected.rotation) % 360 == 0)
        && qAbs(duration - expected.seconds) < 0.1 && root["format"].toObject()["nb_streams"].toInt() == 1;
    if (!ok)
        say(QString("  %1: %2 %3 %4x%5 rotation %6 %7 s, expected %8 %9 %10x%11 rotation %12 %13 s")
                .arg(QFileInfo(path).fileName(), stream["profile"].toString(), stream["pix_fmt"].toString())
                .arg(size.width())
                .arg(size.height())
                .arg(rotation)
                .arg(duration)
                .arg(expected.profile, expected.pixelFormat)
                .arg(expected.size.width())
                .arg(expected.size.height())
                .arg(expected.rotation)
                .arg(expected.seconds));
    return ok;
}

// Our poster against the command line's: same size and, pixel for pixel, nearly the same picture.
bool postersMatch(const QString& ours, const QString& theirs, QSize displayed)
{
    const QImage a = QImage(ours).convertToFormat(QImage::Format_RGB32);
    const QImage b = QImage(theirs).convertToFormat(QImage::Format_RGB32);
    if (a.size() != displayed || b.size() != displayed) {
        say(QString("  poster sizes %1x%2 and %3x%4, expected %5x%6")
                .arg(a.width())
                .arg(a.height())
                .arg(b.width())
                .arg(b.height())
                .arg(displayed.width())
                .arg(displayed.height()));
        return false;
    }
    qint64 difference = 0;
    for (int y = 0; y < a.height(); y += 4)
        for (int x = 0; x < a.width(); x += 4) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            difference += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    const double mean = difference / (3.0 * (a.width() / 4) * (a.height() / 4));
    if (mean > 6)
        say(QString("  posters differ by %1 per channel on average").arg(mean));
    return mean <= 6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    folder.mkpath(".");
    say(QString("x265 preset %1, %2 cores, load average %3")
            .arg(HevcSettings::preset)
            .arg(QThread::idealThreadCount())
            .arg(loadAverage()));

    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    Cost oursTranscode, theirsTranscode, oursImport, theirsImport;
    bool outputsOk = true;
    for (qsizetype index = 0; index < clips.size(); ++index) {
        const Clip& clip = clips[index];
        if (!only.isEmpty() && clip.name != only)
            continue;
        const QString source = makeClip(folder, clip);
        if (source.isEmpty()) {
            say("could not generate " + clip.name);
            return 1;
        }
        QDir out(folder.filePath(clip.name));
        out.removeRecursively();
        out.mkpath(".");
        const QSize displayed = clip.displayed();
        const VideoTranscoder::VideoOutputs files { out.filePath("ours.mov"), out.filePath("ours.png"),
            out.filePath("ours-preview.mov"), previewSeconds, previewHeight };
        bool ok = true;
        Cost cliTranscode, cliPoster, cliPreview, ourTranscode, ourImport;
        const auto runCommandLine = [&] {
            cliTranscode = measure([&] { return commandLineTranscode(source, out.filePath("cli.mov"), clip); }, &ok);
            cliPoster = measure([&] { return commandLinePoster(source, out.filePath("cli.png")); }, &ok);
            cliPreview = measure(
                [&] { return commandLinePreview(out.filePath("cli.mov"), out.filePath("cli-preview.mov"), clip); },
                &ok);
        };
        const auto runOurs = [&] {
            ourTranscode = measure(
                [&] {
                    return finished(VideoTranscoder::transcodeToHEVCMain10(
                        source, out.filePath("ours-alone.mov"), displayed.width(), displayed.height()));
                },
                &ok);
            ourImport = measure(
                [&] {
                    return finishedWithPreview(VideoTranscoder::transcodeWithPosterAndPreview(
                        source, files, displayed.width(), displayed.height()));
                },
                &ok);
        };
        // Alternate who goes first, so that a load that rises or falls during the run favours neither.
        if (index % 2 == 0) {
            runCommandLine();
            runOurs();
        } else {
            runOurs();
            runCommandLine();
        }

        const QSize previewDisplayed = HevcSettings::previewSize(displayed, previewHeight);
        const Expected content { "Main 10", "yuv420p10le", clip.stored, clip.rotation, clipSeconds };
        const Expected preview { "Main", "yuv420p",
            clip.rotation % 180 ? previewDisplayed.transposed() : previewDisplayed, clip.rotation, previewSeconds };
        ok = probeMatches(out.filePath("ours-alone.mov"), content) && ok;
        ok = probeMatches(files.content, content) && ok;
        ok = probeMatches(files.preview, preview) && ok;
        ok = probeMatches(out.filePath("cli.mov"), content) && ok;
        ok = probeMatches(out.filePath("cli-preview.mov"), preview) && ok;
        ok = postersMatch(files.poster, out.filePath("cli.png"), displayed) && ok;
        outputsOk = outputsOk && ok;

        Cost cliImport = cliTranscode;
        cliImport += cliPoster;
        cliImport += cliPreview;
        say(QString("%1: transcode ours %2 s, ffmpeg %3 s (x%4); import ours %5 s, ffmpeg %6 s = %7 + %8 + %9 "
                    "(x%10); processor seconds: transcode %11 / %12, import %13 / %14, load %15%16")
                .arg(clip.name)
                .arg(ourTranscode.wall, 0, 'f', 2)
                .arg(cliTranscode.wall, 0, 'f', 2)
                .arg(cliTranscode.wall / ourTranscode.wall, 0, 'f', 3)
                .arg(ourImport.wall, 0, 'f', 2)
                .arg(cliImport.wall, 0, 'f', 2)
                .arg(cliTranscode.wall, 0, 'f', 2)
                .arg(cliPoster.wall, 0, 'f', 2)
                .arg(cliPreview.wall, 0, 'f', 2)
                .arg(cliImport.wall / ourImport.wall, 0, 'f', 3)
                .arg(ourTranscode.cpu, 0, 'f', 1)
                .arg(cliTranscode.cpu, 0, 'f', 1)
                .arg(ourImport.cpu, 0, 'f', 1)
                .arg(cliImport.cpu, 0, 'f', 1)
                .arg(loadAverage().section(' ', 0, 0))
                .arg(ok ? "" : " OUTPUTS WRONG"));
        oursTranscode += ourTranscode;
        theirsTranscode += cliTranscode;
        oursImport += ourImport;
        theirsImport += cliImport;
    }
    say(QString("load average after: %1").arg(loadAverage()));
    say(QString("processor time ratios: transcode %1, import %2")
            .arg(theirsTranscode.cpu / oursTranscode.cpu, 0, 'f', 3)
            .arg(theirsImport.cpu / oursImport.cpu, 0, 'f', 3));
    say(QString("RESULT transcode_speed_ratio=%1 import_speed_ratio=%2 outputs_ok=%3")
            .arg(theirsTranscode.wall / oursTranscode.wall, 0, 'f', 3)
            .arg(theirsImport.wall / oursImport.wall, 0, 'f', 3)
            .arg(outputsOk ? 1 : 0));
    return outputsOk ? 0 : 1;
}
