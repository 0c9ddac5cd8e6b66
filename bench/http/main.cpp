// Serves a large file through a mapped aerial asset and, in the same run, the
// same file from a private nginx; drives both with wrk (1 MiB ranges at random
// offsets, and whole-file GETs) and prints the figures and their ratios, our
// server's peak memory under the most connections, and how many connections a
// peer that dribbles its headers holds while others are still served.
//
// bench_http [--size-mb N] [--seconds S] [--rounds N] [--cases range1,range16,...]

#include "BenchFigures.h"
#include "AerialHTTPServer.h"
#include "NginxInstance.h"
#include "ProcessMemory.h"
#include "SlowDrip.h"
#include "PropertyList.h"
#include "SettingsKeys.h"
#include "Wrk.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using BenchFigures::loadAverage;
using BenchFigures::median;
using BenchFigures::ratio;

const QString asset = QStringLiteral("BE7C0000-0000-4000-8000-000000000001");
const QString hex = QStringLiteral("be7c01");
constexpr qint64 rangeSize = 1024 * 1024;

bool writeMediaFile(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(4 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
    for (qint64 left = size; left > 0; left -= block.size())
        if (file.write(block.constData(), std::min<qint64>(left, block.size())) < 0)
            return false;
    // On disk before the first run: pages still being written back stall the
    // reads of whichever server goes first.
    return file.flush() && ::fsync(file.handle()) == 0;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QString writeRangeScript(const QString& directory, qint64 fileSize)
{
    const QString path = QDir(directory).filePath(QStringLiteral("ranges.lua"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral(R"(math.randomseed(%1)
request = function()
    local first = math.random(0, %2 - %3)
    return wrk.format("GET", nil, { ["Range"] = "bytes=" .. first .. "-" .. (first + %3 - 1) })
end
)")
                   .arg(QRandomGenerator::global()->bounded(1000000))
                   .arg(fileSize)
                   .arg(rangeSize)
                   .toUtf8());
    return path;
}

// One case run in rounds, ours and nginx back to back in each, the one to go
// first alternating: a burst of load from elsewhere then spoils one round's
// ratio, not the case's, and neither server always meets the colder cache.
struct Comparison
{
    QString name;
    int connections = 0;
    QList<WrkResult> ours;
    QList<WrkResult> nginx;
    double throughputRatio() const
    {
        QList<double> ratios;
        for (qsizetype i = 0; i < ours.size(); ++i)
            ratios.append(ratio(ours[i].bytesPerSecond, nginx[i].bytesPerSecond));
        return median(ratios);
    }
    double p99Ratio() const
    {
        QList<double> ratios;
        for (qsizetype i = 0; i < ours.size(); ++i)
            ratios.append(ratio(ours[i].p99Milliseconds, nginx[i].p99Milliseconds));
        return median(ratios);
    }
};

void printRow(const char* server, const WrkResult& result)
{
    std::printf("  %-6s %10.1f req/s %9.1f MiB/s  p99 %9.2f ms  requests %lld  failures %lld\n", server,
        result.requestsPerSecond, result.bytesPerSecond / (1024 * 1024), result.p99Milliseconds, result.requests,
        result.failures);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption sizeOption(QStringLiteral("size-mb"), QStringLiteral("Size of the served file in MiB."),
        QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"), QStringLiteral("Duration of each wrk run."),
        QStringLiteral("S"), QStringLiteral("8"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
        QStringLiteral("Rounds per case; the ratios are their medians."), QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption casesOption(QStringLiteral("cases"),
        QStringLiteral("Runs to make, of range1 range16 range128 whole1 whole16."), QStringLiteral("list"),
        QStringLiteral("range1,range16,range128,whole1,whole16"));
    parser.addOptions({ sizeOption, secondsOption, roundsOption, casesOption });
    parser.process(app);
    const qint64 fileSize = parser.value(sizeOption).toLongLong() * 1024 * 1024;
    const int seconds = parser.value(secondsOption).toInt();
    const int rounds = std::max(1, parser.value(roundsOption).toInt());

    QTemporaryDir home;
    const QString appSupport = home.filePath(QStringLiteral("Library/Application Support/Lanto"));
    const QString downloads = appSupport + QStringLiteral("/Downloads");
    QDir().mkpath(downloads + QLatin1Char('/') + hex);
    const QString media = downloads + QLatin1Char('/') + hex + QStringLiteral("/content.mov");
    if (!writeMediaFile(media, fileSize)
        || !PropertyList::writeFile(appSupport + QStringLiteral("/Settings.plist"),
            PlistValue::Dictionary { { SettingsKey::aerialAssetToHex, PlistValue::Dictionary { { asset, hex } } } })) {
        std::fprintf(stderr, "cannot write the test files\n");
        return 1;
    }
    const QString script = writeRangeScript(home.path(), fileSize);

    AerialHTTPServer server(AerialHTTPServer::Options { 0, std::chrono::seconds(60), home.path() });
    server.start();
    const int workers = QThread::idealThreadCount();
    // The free port may be taken before nginx binds it: try a few.
    std::unique_ptr<NginxInstance> nginx;
    quint16 nginxPort = 0;
    QString error;
    for (int attempt = 0; attempt < 3 && nginxPort == 0; ++attempt) {
        const quint16 port = freePort();
        nginx = std::make_unique<NginxInstance>(downloads, port, workers);
        if (nginx->start(&error))
            nginxPort = port;
    }
    if (server.port() == 0 || nginxPort == 0) {
        std::fprintf(stderr, "cannot start the servers: %s\n", qPrintable(error));
        return 1;
    }
    const QString oursURL = server.videoURL(asset);
    const QString nginxURL = QStringLiteral("http://127.0.0.1:%1/%2/content.mov").arg(nginxPort).arg(hex);

    std::printf("Serving %lld MiB; nginx with %d workers; wrk %d s per run, %d rounds; load before: %s\n",
        fileSize >> 20, workers, seconds, rounds, qPrintable(loadAverage()));
    // Both servers and the page cache warmed up alike, not counted: otherwise the first run is the slower.
    for (const QString& url : { oursURL, nginxURL })
        runWrk(url, 16, 2, script);
    QList<Comparison> comparisons;
    double peakRSSMB = 0; // our process, under the most connections
    int mostConnections = 0;
    const auto compare = [&](const QString& name, int connections, const QString& requestScript) {
        Comparison comparison { name, connections, {}, {} };
        std::printf("%s, %d connections:\n", qPrintable(name), connections);
        for (int round = 0; round < rounds; ++round) {
            const auto runOurs = [&] {
                ProcessMemory::resetPeak();
                comparison.ours.append(runWrk(oursURL, connections, seconds, requestScript));
                if (connections > mostConnections) {
                    mostConnections = connections;
                    peakRSSMB = 0;
                }
                if (connections == mostConnections)
                    peakRSSMB = std::max(peakRSSMB, double(ProcessMemory::peakKB()) / 1024.0);
            };
            const auto runNginx = [&] { comparison.nginx.append(runWrk(nginxURL, connections, seconds, requestScript)); };
            if (round % 2 == 0) {
                runOurs();
                runNginx();
            } else {
                runNginx();
                runOurs();
            }
            printRow("ours", comparison.ours.last());
            printRow("nginx", comparison.nginx.last());
            std::fflush(stdout);
        }
        std::printf("  throughput ratio %.2f, p99 ratio %.2f (medians of %d rounds)\n", comparison.throughputRatio(),
            comparison.p99Ratio(), rounds);
        std::fflush(stdout);
        comparisons.append(comparison);
    };
    for (const QString& run : parser.value(casesOption).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const bool ranges = run.startsWith(QLatin1String("range"));
        compare(ranges ? QStringLiteral("range") : QStringLiteral("whole"), run.sliced(5).toInt(),
            ranges ? script : QString());
    }

    // A peer dribbling headers on twice as many connections as the server takes.
    rlimit files {};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    const int cap = AerialHTTPServer::Options().maximumConnections;
    const QByteArray request = "GET /videos/" + asset.toUtf8() + ".mov HTTP/1.1\r\nHost: 127.0.0.1\r\nRange: bytes=0-1\r\n\r\n";
    const SlowDripResult drip = runSlowDrip(server.port(), request, 2 * cap, 3, 20);
    std::printf("slow drip: %d connections opened, %d held (cap %d); %d of %d ordinary requests served meanwhile\n",
        drip.opened, drip.held, cap, drip.served, drip.asked);
    std::printf("peak memory of the process serving %d connections: %.1f MB\n", mostConnections, peakRSSMB);

    double p99Max = 0;
    QString result = QStringLiteral("RESULT");
    for (const Comparison& comparison : comparisons) {
        p99Max = std::max(p99Max, comparison.p99Ratio());
        result += QStringLiteral(" %1_ratio_c%2=%3")
                      .arg(comparison.name)
                      .arg(comparison.connections)
                      .arg(comparison.throughputRatio(), 0, 'f', 2);
    }
    std::printf("load after: %s\n", qPrintable(loadAverage()));
    std::printf("%s p99_ratio_max=%.2f peak_rss_mb_c%d=%.1f held_connections=%d served_during_drip=%d/%d\n",
        qPrintable(result), p99Max, mostConnections, peakRSSMB, drip.held, drip.served, drip.asked);
    return 0;
}
