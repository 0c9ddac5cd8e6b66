// Playback cost of a looping desktop video: our player in real desktop windows,
// set up as the agent sets itself up, on each render path (software: frames
// drawn in memory and painted by Qt Quick's software renderer; OpenGL: libmpv's
// OpenGL render API, here on Mesa's software renderer), against mpv playing the
// same file full screen with --vo=x11 and with --vo=gpu --gpu-sw, all under a
// private Xvfb, in one run. Prints CPU, frames shown (as each player counts
// them), CPU per frame shown, RSS and PSS of each, the ratios, our cost while
// paused, and the cost of two displays against one. Then the real programs on
// a home of their own whose display shows the clip: the agent, and Lanto with
// its window closed and with it open on Discover at rest, against the agent.
//
//   bench_playback [--seconds N] [--rounds R] [--without-poster]
//   bench_playback --agent-minutes M [--without-poster]
// N: length of each playing run (default 60); R: how many times one and two
// displays are measured, back to back, for the median of their ratio (default
// 3). The second form only watches the agent's memory while it plays for M
// minutes, as a user leaves it. The wallpaper's folder is seeded as a
// download leaves it (content file, Poster.png, metadata.json); with
// --without-poster it has no Poster.png, to tell what the poster costs.
#include "BenchFigures.h"
#include "PlayerProcess.h"
#include "ProcessSample.h"
#include "ProgramHome.h"
#include "TestClip.h"
#include "VideoRenderPath.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace {

using BenchFigures::loadAverage;
using BenchFigures::median;
using BenchFigures::ratio;

constexpr double warmUpSeconds = 3;
constexpr int clipFramesPerSecond = 30;

struct Run
{
    ProcessUse use;
    double peakRssMiB = 0;
    double rssMiB = 0;
    double pssMiB = 0;
    // How much PSS grew from the start of the measured run to its end.
    double pssGrowthMiB = 0;
    ProcessUse xserver;
    // Frames put on screen per second, per display.
    double framesPerSecond = 0;
    // CPU milliseconds per frame shown on one display.
    double cpuMillisecondsPerFrame() const
    {
        return framesPerSecond > 0 ? use.cpuPercent * 10 / framesPerSecond : 0;
    }
};

// How many frames a player has put on screen so far, as far as it can tell.
using FrameCounter = std::function<double()>;

void print(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// A private X server; it ends with the object.
class XServer
{
public:
    explicit XServer(QSize size)
    {
        m_process.start(QStringLiteral("Xvfb"),
            { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()), QStringLiteral("-nolisten"),
                QStringLiteral("tcp") });
        m_process.waitForReadyRead(10000);
        m_display = QStringLiteral(":") + QString::fromLatin1(m_process.readLine().trimmed());
    }
    ~XServer()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    QString display() const { return m_display; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    QString m_display;
};

void startOn(QProcess& process, const XServer& server, const QString& program, const QStringList& arguments,
    const QString& renderPath = QString())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!renderPath.isEmpty())
        environment.insert(QString::fromLatin1(VideoRenderPath::environmentVariable), renderPath);
    environment.insert(QStringLiteral("DISPLAY"), server.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    process.waitForStarted();
}

Run measure(qint64 pid, const XServer& server, double seconds, const FrameCounter& frames)
{
    QThread::msleep(qint64(warmUpSeconds * 1000));
    const ProcessSample first = ProcessSample::of(pid);
    const ProcessSample firstServer = ProcessSample::of(server.pid());
    const double firstFrames = frames();
    QThread::msleep(qint64(seconds * 1000));
    const ProcessSample last = ProcessSample::of(pid);
    Run run;
    run.framesPerSecond = (frames() - firstFrames) / seconds;
    run.use = ProcessUse::between(first, last, seconds);
    run.peakRssMiB = last.peakRssKiB / 1024.0;
    run.rssMiB = last.rssKiB / 1024.0;
    run.pssMiB = last.pssKiB / 1024.0;
    run.pssGrowthMiB = (last.pssKiB - first.pssKiB) / 1024.0;
    run.xserver = ProcessUse::between(firstServer, ProcessSample::of(server.pid()), seconds);
    return run;
}

// The first line that starts with prefix, without it; none when the process ends first.
std::optional<QByteArray> waitForLine(QProcess& process, const QByteArray& prefix)
{
    do {
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith(prefix))
                return line.mid(prefix.size()).trimmed();
        }
    } while (process.waitForReadyRead(60000));
    return std::nullopt;
}

// Asks the player process how many frames its views have drawn.
FrameCounter framesDrawn(QProcess& player, int displays)
{
    return [&player, displays] {
        player.write("frames\n");
        return waitForLine(player, "frames").value_or("0").toDouble() / displays;
    };
}

// mpv draws the clip's frames at their rate, less those it drops; its IPC socket tells the drops.
FrameCounter mpvFrames(const QString& socketPath)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [socketPath, clock] {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        double dropped = 0;
        if (socket.waitForConnected(2000)) {
            for (const char* property : { "frame-drop-count", "vo-drop-frame-count" }) {
                socket.write(QByteArray(R"({"command":["get_property",")") + property + "\"]}\n");
                while (socket.waitForReadyRead(2000) && !socket.canReadLine()) { }
                dropped += QJsonDocument::fromJson(socket.readLine()).object().value(QStringLiteral("data")).toDouble();
            }
        }
        return clock->elapsed() / 1000.0 * clipFramesPerSecond - dropped;
    };
}

void stop(QProcess& process)
{
    process.write("quit\n");
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
}

struct OurRuns
{
    Run playing;
    Run paused;
};

OurRuns measureOurs(const QString& clip, const QString& path, int displays, double seconds, double pausedSeconds)
{
    XServer server(QSize(1920 * displays, 1080));
    QProcess player;
    startOn(player, server, QCoreApplication::applicationFilePath(),
        { QStringLiteral("--player"), clip, QString::number(displays) }, path);
    OurRuns runs;
    if (!waitForLine(player, "playing")) {
        print(QStringLiteral("our player did not start playing"));
        stop(player);
        return runs;
    }
    runs.playing = measure(player.processId(), server, seconds, framesDrawn(player, displays));
    if (pausedSeconds > 0) {
        player.write("pause\n");
        waitForLine(player, "paused");
        runs.paused = measure(player.processId(), server, pausedSeconds, framesDrawn(player, displays));
    }
    stop(player);
    return runs;
}

Run measureMpv(const QString& clip, const QString& output, double seconds)
{
    XServer server(QSize(1920, 1080));
    QTemporaryDir socketFolder;
    const QString socket = socketFolder.filePath(QStringLiteral("mpv.socket"));
    QProcess mpv;
    startOn(mpv, server, QStringLiteral("mpv"),
        { QStringLiteral("--no-config"), QStringLiteral("--vo=") + output, QStringLiteral("--gpu-sw=yes"),
            QStringLiteral("--hwdec=no"), QStringLiteral("--mute=yes"), QStringLiteral("--loop-file=inf"),
            QStringLiteral("--fs"), QStringLiteral("--geometry=1920x1080+0+0"), QStringLiteral("--no-osc"),
            QStringLiteral("--no-input-default-bindings"), QStringLiteral("--no-terminal"),
            QStringLiteral("--input-ipc-server=") + socket, clip });
    const Run run = measure(mpv.processId(), server, seconds, mpvFrames(socket));
    mpv.terminate();
    mpv.waitForFinished(5000);
    return run;
}

// Whether the homes' wallpaper folders hold a poster, as a download's does;
// without, to tell what the poster costs.
bool seedPoster = true;

// One of our programs showing the clip as the wallpaper of the only display
// of a new home, on a private X server; it ends with the object.
class ProgramOnClip
{
public:
    ProgramOnClip(const QString& clip, const QString& program, const QStringList& arguments)
        : m_server(QSize(1920, 1080))
    {
        QProcess seed;
        startOn(seed, m_server, QCoreApplication::applicationFilePath(),
            { seedPoster ? QStringLiteral("--seed") : QStringLiteral("--seed-without-poster"), m_home.path(), clip });
        if (!seed.waitForFinished(30000) || seed.exitCode() != 0) {
            print(QStringLiteral("cannot set up a home for %1").arg(program));
            return;
        }
        m_running = std::make_unique<ProgramHome>(m_home.path(), m_server.display(), program, arguments);
        if (!pid())
            print(QStringLiteral("%1 did not start").arg(program));
    }
    const XServer& server() const { return m_server; }
    // 0 when it did not start.
    qint64 pid() const { return m_running ? m_running->pid() : 0; }

private:
    XServer m_server;
    QTemporaryDir m_home;
    std::unique_ptr<ProgramHome> m_running;
};

// One of our programs measured once it has settled. It counts no frames for us.
Run measureProgram(const QString& clip, const QString& program, const QStringList& arguments, double settleSeconds,
    double seconds)
{
    const ProgramOnClip running(clip, program, arguments);
    if (!running.pid())
        return {};
    QThread::msleep(qint64(settleSeconds * 1000));
    return measure(running.pid(), running.server(), seconds, [] { return 0.0; });
}

// The agent's memory while it plays for a while, as a user leaves it: PSS
// each minute, then the largest and the last.
struct MemoryWatch
{
    double firstPssMiB = 0;
    double largestPssMiB = 0;
    double lastPssMiB = 0;
    double cpuPercent = 0;
};

MemoryWatch watchAgentMemory(const QString& clip, int minutes)
{
    MemoryWatch watch;
    const ProgramOnClip running(clip, QStringLiteral(LANTO_AGENT_BINARY), {});
    const qint64 pid = running.pid();
    if (!pid)
        return watch;
    QThread::msleep(qint64(warmUpSeconds * 1000));
    const ProcessSample first = ProcessSample::of(pid);
    watch.firstPssMiB = watch.largestPssMiB = first.pssKiB / 1024.0;
    ProcessSample last = first;
    for (int minute = 1; minute <= minutes; ++minute) {
        QThread::sleep(60);
        last = ProcessSample::of(pid);
        watch.lastPssMiB = last.pssKiB / 1024.0;
        watch.largestPssMiB = std::max(watch.largestPssMiB, watch.lastPssMiB);
        print(QStringLiteral("agent, minute %1: PSS %2 MiB (anonymous %4, C heap %5, files %6, shared %7), RSS %3 MiB")
                  .arg(minute)
                  .arg(watch.lastPssMiB, 0, 'f', 1)
                  .arg(last.rssKiB / 1024.0, 0, 'f', 1)
                  .arg(last.pssAnonKiB / 1024.0, 0, 'f', 1)
                  .arg(last.heapPssKiB / 1024.0, 0, 'f', 1)
                  .arg(last.pssFileKiB / 1024.0, 0, 'f', 1)
                  .arg(last.pssShmemKiB / 1024.0, 0, 'f', 1));
    }
    watch.cpuPercent = ProcessUse::between(first, last, minutes * 60.0).cpuPercent;
    return watch;
}

QString describe(const QString& name, const Run& run)
{
    return QStringLiteral("%1: %2 CPU s/min (%3 % of a core), %4 frames/s shown, %5 ms CPU/frame, "
                          "RSS %6 MiB (peak %7), PSS %8 MiB (%11 MiB over the run), %9 wakeups/s; "
                          "Xvfb %10 CPU s/min")
        .arg(name, -28)
        .arg(run.use.cpuSecondsPerMinute(), 0, 'f', 1)
        .arg(run.use.cpuPercent, 0, 'f', 1)
        .arg(run.framesPerSecond, 0, 'f', 1)
        .arg(run.cpuMillisecondsPerFrame(), 0, 'f', 2)
        .arg(run.rssMiB, 0, 'f', 1)
        .arg(run.peakRssMiB, 0, 'f', 1)
        .arg(run.pssMiB, 0, 'f', 1)
        .arg(run.use.wakeupsPerSecond, 0, 'f', 1)
        .arg(run.xserver.cpuSecondsPerMinute(), 0, 'f', 1)
        .arg(run.pssGrowthMiB, 0, 'f', 1);
}

bool writeClip(const QString& clip)
{
    print(QStringLiteral("load average before: %1 (8 cores)").arg(loadAverage()));
    print(QStringLiteral("generating a 10 s 1920x1080 30 fps HEVC Main 10 clip..."));
    TestClip::Recipe recipe;
    recipe.size = QSize(1920, 1080);
    recipe.frames = 300;
    recipe.encoder = QStringLiteral("libx265");
    recipe.tenBit = true;
    recipe.movingPattern = true;
    recipe.colour = [](int frame) { return QColor::fromHsv(frame * 360 / 300 % 360, 160, 200); };
    QString error;
    if (!TestClip::write(clip, recipe, &error)) {
        print(QStringLiteral("cannot make the clip: ") + error);
        return false;
    }
    return true;
}

int runAgentWatch(int minutes)
{
    QTemporaryDir folder;
    const QString clip = folder.filePath(QStringLiteral("clip.mp4"));
    if (!writeClip(clip))
        return 1;
    const MemoryWatch watch = watchAgentMemory(clip, minutes);
    print(QStringLiteral("load average after: %1").arg(loadAverage()));
    print(QStringLiteral("RESULT agent_minutes=%1 agent_pss_first_mb=%2 agent_pss_max_mb=%3 agent_pss_last_mb=%4 "
                         "agent_cpu_pct=%5")
              .arg(minutes)
              .arg(watch.firstPssMiB, 0, 'f', 1)
              .arg(watch.largestPssMiB, 0, 'f', 1)
              .arg(watch.lastPssMiB, 0, 'f', 1)
              .arg(watch.cpuPercent, 0, 'f', 1));
    return watch.lastPssMiB > 0 ? 0 : 1;
}

int runBenchmark(double seconds, int rounds)
{
    QTemporaryDir folder;
    const QString clip = folder.filePath(QStringLiteral("clip.mp4"));
    if (!writeClip(clip))
        return 1;

    const double pausedSeconds = seconds / 2;
    const QString software = QStringLiteral("software");
    const OurRuns ours = measureOurs(clip, software, 1, seconds, pausedSeconds);
    // One display and two back to back, the one to go first alternating, so
    // that a burst of load from elsewhere spoils one round's ratio only.
    OurRuns two = measureOurs(clip, software, 2, seconds, 0);
    QList<double> twoRatios { ratio(two.playing.use.cpuPercent, ours.playing.use.cpuPercent) };
    for (int round = 1; round < rounds; ++round) {
        const bool twoFirst = round % 2;
        const OurRuns first = measureOurs(clip, software, twoFirst ? 2 : 1, seconds, 0);
        const OurRuns second = measureOurs(clip, software, twoFirst ? 1 : 2, seconds, 0);
        const Run& one = twoFirst ? second.playing : first.playing;
        two = twoFirst ? first : second;
        twoRatios.append(ratio(two.playing.use.cpuPercent, one.use.cpuPercent));
    }
    const OurRuns ourOpenGL = measureOurs(clip, QStringLiteral("opengl"), 1, seconds, 0);
    const Run mpvGpu = measureMpv(clip, QStringLiteral("gpu"), seconds);
    const Run mpvX11 = measureMpv(clip, QStringLiteral("x11"), seconds);
    const Run agent = measureProgram(clip, QStringLiteral(LANTO_AGENT_BINARY), {}, 5, seconds);
    const Run lantoClosed
        = measureProgram(clip, QStringLiteral(LANTO_APP_BINARY), { QStringLiteral("--background") }, 5, seconds);
    // Discover at rest: the banner's preview rests after 12 s.
    const Run lantoOpen = measureProgram(clip, QStringLiteral(LANTO_APP_BINARY), {}, 15, seconds);

    print(QStringLiteral("each run %1 s after %2 s of warm-up").arg(seconds).arg(warmUpSeconds));
    print(describe(QStringLiteral("ours, software path"), ours.playing));
    print(describe(QStringLiteral("ours, OpenGL path (Mesa)"), ourOpenGL.playing));
    print(describe(QStringLiteral("mpv --vo=gpu --gpu-sw"), mpvGpu));
    print(describe(QStringLiteral("mpv --vo=x11"), mpvX11));
    print(describe(QStringLiteral("ours, software, paused"), ours.paused));
    print(describe(QStringLiteral("ours, software, 2 displays"), two.playing));
    print(describe(QStringLiteral("LantoAgent"), agent));
    print(describe(QStringLiteral("Lanto, window closed"), lantoClosed));
    print(describe(QStringLiteral("Lanto, window on Discover"), lantoOpen));
    // Per frame shown, so that a player that shows fewer frames does not look cheaper.
    const double perFrame = ours.playing.cpuMillisecondsPerFrame();
    const double x11Ratio = ratio(perFrame, mpvX11.cpuMillisecondsPerFrame());
    const double gpuRatio = ratio(perFrame, mpvGpu.cpuMillisecondsPerFrame());
    const double openGLx11Ratio = ratio(ourOpenGL.playing.cpuMillisecondsPerFrame(), mpvX11.cpuMillisecondsPerFrame());
    const double twoRatio = median(twoRatios);
    QStringList twoRounds;
    for (double value : twoRatios)
        twoRounds << QString::number(value, 'f', 2);
    print(QStringLiteral("CPU per frame shown, software path / mpv --vo=x11: %1, / mpv --vo=gpu: %2; "
                         "OpenGL path / mpv --vo=x11: %3; two displays / one (CPU): %4, the median of %5")
              .arg(x11Ratio, 0, 'f', 2)
              .arg(gpuRatio, 0, 'f', 2)
              .arg(openGLx11Ratio, 0, 'f', 2)
              .arg(twoRatio, 0, 'f', 2)
              .arg(twoRounds.join(QLatin1Char(' '))));
    const double closedRatio = ratio(lantoClosed.use.cpuPercent, agent.use.cpuPercent);
    const double openRatio = ratio(lantoOpen.use.cpuPercent, agent.use.cpuPercent);
    print(QStringLiteral("CPU against the agent's: Lanto with its window closed %1, open on Discover %2")
              .arg(closedRatio, 0, 'f', 2)
              .arg(openRatio, 0, 'f', 2));
    print(QStringLiteral("load average after: %1").arg(loadAverage()));
    print(QStringLiteral("RESULT cpu_ratio_vs_mpv_x11=%1 cpu_ratio_vs_mpv_gpu=%2 fps=%3 two_display_ratio=%4 "
                         "rss_mb=%5 pss_mb=%6 paused_cpu_pct=%7 paused_wakeups_per_s=%8 agent_cpu_pct=%9 "
                         "agent_pss_mb=%10 lanto_closed_cpu_ratio_vs_agent=%11 lanto_open_cpu_ratio_vs_agent=%12 "
                         "path=software")
              .arg(x11Ratio, 0, 'f', 2)
              .arg(gpuRatio, 0, 'f', 2)
              .arg(ours.playing.framesPerSecond, 0, 'f', 1)
              .arg(twoRatio, 0, 'f', 2)
              .arg(ours.playing.rssMiB, 0, 'f', 1)
              .arg(ours.playing.pssMiB, 0, 'f', 1)
              .arg(ours.paused.use.cpuPercent, 0, 'f', 3)
              .arg(ours.paused.use.wakeupsPerSecond, 0, 'f', 1)
              .arg(agent.use.cpuPercent, 0, 'f', 1)
              .arg(agent.pssMiB, 0, 'f', 1)
              .arg(closedRatio, 0, 'f', 2)
              .arg(openRatio, 0, 'f', 2));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--player") == 0) {
        // Set up as the agent sets itself up.
        VideoRenderPath::chooseBeforeApplication(argc, argv);
        QGuiApplication app(argc, argv);
        return runPlayerProcess(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    if (argc == 4 && (qstrcmp(argv[1], "--seed") == 0 || qstrcmp(argv[1], "--seed-without-poster") == 0)) {
        QGuiApplication app(argc, argv);
        return ProgramHome::seedProcess(
            QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), qstrcmp(argv[1], "--seed") == 0);
    }
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
        QStringLiteral("Length of each playing run."), QStringLiteral("N"), QStringLiteral("60"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
        QStringLiteral("Rounds of one display against two; the ratio is their median."), QStringLiteral("R"),
        QStringLiteral("3"));
    const QCommandLineOption agentOption(QStringLiteral("agent-minutes"),
        QStringLiteral("Only watch the agent's memory while it plays, for this long."), QStringLiteral("M"));
    const QCommandLineOption withoutPosterOption(QStringLiteral("without-poster"),
        QStringLiteral("Seed the wallpaper's folder without its Poster.png."));
    parser.addOptions({ secondsOption, roundsOption, agentOption, withoutPosterOption });
    parser.process(app);
    seedPoster = !parser.isSet(withoutPosterOption);
    if (parser.isSet(agentOption))
        return runAgentWatch(std::max(1, parser.value(agentOption).toInt()));
    return runBenchmark(parser.value(secondsOption).toDouble(), std::max(1, parser.value(roundsOption).toInt()));
}
