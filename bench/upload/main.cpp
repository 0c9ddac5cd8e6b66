// Uploads a file through the single submission PUT and a large one through
// the multipart upload and, in the same run, the same bytes with curl (one
// PUT, then the parts three in parallel), all to the fake web service running
// in a child process; prints throughput and peak memory of each and the ratios.
//
// bench_upload [--size-mb N] [--single-mb N]

#include "BenchFigures.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "NetworkMonitor.h"
#include "ProcessMemory.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <sys/resource.h>

namespace {

using BenchFigures::loadAverage;

const QString filesPath = QStringLiteral("me/wallpapers/bench/files/content");
constexpr int rounds = 3;
// The single PUT takes about 10 ms on loopback, where one scheduling hiccup
// doubles a run: its figure is the median of many short rounds.
constexpr int singleRounds = 21;

// The service side: answers every part and keeps no body bytes.
int serve()
{
    FakeWebService service;
    service.setRecordedBodyLimit(0);
    service.on(
        "POST", filesPath + "/multipart-init", FakeReply::ok(QJsonObject { { "uploadId", "u" }, { "key", "k" } }));
    service.on("PUT", filesPath + "/multipart-part", FakeReply::ok(QJsonObject { { "etag", "e" } }));
    service.on("POST", filesPath + "/multipart-complete", FakeReply::ok(QJsonObject { { "uploaded", "content" } }));
    service.on("PUT", filesPath, FakeReply::ok(QJsonObject { { "uploaded", "content" } }));
    std::printf("%u\n", unsigned(service.port()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

bool writeFile(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(4 << 20, Qt::Uninitialized);
    QRandomGenerator generator(11);
    generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
    for (qint64 left = size; left > 0; left -= block.size())
        if (file.write(block.constData(), std::min<qint64>(left, block.size())) < 0)
            return false;
    return true;
}

// The file cut into the client's parts, one file each, for curl.
QStringList splitParts(const QString& path, const QString& directory)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return {};
    QStringList parts;
    for (int number = 1; !source.atEnd(); ++number) {
        const QString partPath = QDir(directory).filePath(QStringLiteral("part%1").arg(number));
        QFile part(partPath);
        if (!part.open(QIODevice::WriteOnly) || part.write(source.read(LantoAPIClient::partSize)) < 0)
            return {};
        parts.append(partPath);
    }
    return parts;
}

struct Figures
{
    double seconds = 0;
    double peakExtraMB = 0;
};

// The future's result as soon as it finishes: the tests' awaitFuture looks
// every 10 ms, as long as the whole single PUT takes on loopback.
template <typename T>
std::optional<T> awaitPromptly(QFuture<T> future, std::chrono::milliseconds deadline)
{
    QEventLoop loop;
    QFutureWatcher<T> watcher;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(deadline, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
    if (!future.isFinished() || future.isCanceled() || future.resultCount() == 0)
        return std::nullopt;
    return future.result();
}

// One upload through the client, measured from a client made beforehand.
Figures runClient(const QUrl& base, const std::function<QFuture<Result<Done>>(LantoAPIClient&)>& upload)
{
    LantoAPIClient client(base);
    const qint64 idle = ProcessMemory::residentKB();
    ProcessMemory::resetPeak();
    QElapsedTimer clock;
    clock.start();
    const std::optional<Result<Done>> done = awaitPromptly(upload(client), std::chrono::minutes(10));
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (!done || !done->ok())
        qFatal("the upload failed: %s", done ? qPrintable(done->error().description()) : "unfinished");
    return { seconds, double(ProcessMemory::peakKB() - idle) / 1024.0 };
}

QString filesURL(const QUrl& base, const QString& suffix = {}, const QString& query = {})
{
    QUrl url = base;
    url.setPath(base.path() + "/" + filesPath + suffix);
    if (!query.isEmpty())
        url.setQuery(query);
    return url.toString();
}

// curl with the files to PUT, each to its URL, three at a time. One file is
// timed by curl itself, from the start of its transfer (connect included) to
// its end, as the client is: a process start costs curl about as much as the
// 20 MB move on loopback. Several are timed as the whole process, whose start
// is small beside them.
Figures runCurl(const QList<std::pair<QString, QString>>& uploads)
{
    QStringList arguments { "--silent", "--no-progress-meter", "--show-error", "--fail", "--parallel", "--parallel-max", "3", "-H",
        "Authorization: Bearer bench", "-H", "Content-Type: application/octet-stream", "--write-out", "%{time_total}\n" };
    for (const auto& [file, url] : uploads)
        arguments << "-T" << file << url << "-o"
                  << "/dev/null";
    QProcess curl;
    curl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    curl.start(QStringLiteral("curl"), arguments);
    if (!curl.waitForFinished(10 * 60 * 1000) || curl.exitCode() != 0)
        qFatal("curl failed");
    const double wall = clock.nsecsElapsed() / 1e9;
    bool reported = false;
    const double transfer = curl.readAllStandardOutput().trimmed().toDouble(&reported);
    if (uploads.size() == 1 && !reported)
        qFatal("curl reported no time");
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage); // the largest child so far: curl
    return { uploads.size() == 1 ? transfer : wall, double(usage.ru_maxrss) / 1024.0 };
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// The median time of the runs, with the highest peak of memory among them.
Figures median(std::vector<Figures> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Figures& a, const Figures& b) { return a.seconds < b.seconds; });
    Figures middle = runs[runs.size() / 2];
    for (const Figures& run : runs)
        middle.peakExtraMB = std::max(middle.peakExtraMB, run.peakExtraMB);
    return middle;
}

void printRun(const char* name, double mb, const Figures& ours, const Figures& curl)
{
    std::printf("%s, %.0f MB:\n", name, mb);
    std::printf("  lanto: %.2f s, %.1f MB/s, peak memory %.1f MB above idle\n", ours.seconds, mb / ours.seconds,
        ours.peakExtraMB);
    std::printf("  curl:  %.2f s, %.1f MB/s, peak memory %.1f MB (whole process)\n", curl.seconds, mb / curl.seconds,
        curl.peakExtraMB);
    std::printf("  throughput ratio %.2f\n", curl.seconds / ours.seconds);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({ "size-mb", "Size of the file sent in parts, in MB.", "N", "200" });
    parser.addOption({ "single-mb", "Size of the file sent in one PUT, in MB.", "N", "20" });
    parser.addOption({ "serve", "Run as the service (internal)." });
    parser.process(app);
    if (parser.isSet("serve"))
        return serve();

    const qint64 size = parser.value("size-mb").toLongLong() * 1000 * 1000;
    const qint64 singleSize = parser.value("single-mb").toLongLong() * 1000 * 1000;
    TemporaryHome home;
    if (!SessionTokenStore::save(QStringLiteral("bench")))
        qFatal("cannot store the token");
    const QString path = home.filePath(QStringLiteral("content.mov"));
    const QString singlePath = home.filePath(QStringLiteral("single.mov"));
    if (!writeFile(path, size) || !writeFile(singlePath, singleSize))
        qFatal("cannot write the files to upload");
    const QStringList parts = splitParts(path, home.path());

    QProcess server;
    server.start(QCoreApplication::applicationFilePath(), { "--serve" });
    if (!server.waitForReadyRead(10000))
        qFatal("the service did not start");
    QUrl base(QStringLiteral("http://127.0.0.1/api/v1"));
    base.setPort(server.readLine().trimmed().toInt());
    std::printf("load before: %s\n", qPrintable(loadAverage()));

    // The program has its network monitor from its start.
    NetworkMonitor::shared();
    // The single PUT sends bytes the caller holds: they are read before measuring.
    const QByteArray singleBytes = readFile(singlePath);
    QList<std::pair<QString, QString>> partUploads;
    for (int i = 0; i < parts.size(); ++i)
        partUploads.append({ parts[i],
            filesURL(base, QStringLiteral("/multipart-part"), QStringLiteral("uploadId=u&partNumber=%1&key=k").arg(i + 1)) });

    // The service's first upload warms its heap; it counts for neither side.
    runCurl({ { singlePath, filesURL(base) } });
    // Each side's best of a few rounds, taken in turns, so that other load on the machine hits both alike.
    Figures ours { 1e9, 0 }, curl { 1e9, 0 };
    const auto best = [](Figures& kept, const Figures& run) {
        kept.peakExtraMB = std::max(kept.peakExtraMB, run.peakExtraMB);
        kept.seconds = std::min(kept.seconds, run.seconds);
    };
    std::vector<Figures> singles, singleCurls;
    for (int round = 0; round < singleRounds; ++round) {
        singles.push_back(runClient(base, [&](LantoAPIClient& client) {
            return client.putSubmissionFile("bench", "content", "video/quicktime", singleBytes);
        }));
        singleCurls.push_back(runCurl({ { singlePath, filesURL(base) } }));
    }
    const Figures single = median(singles), singleCurl = median(singleCurls);
    for (int round = 0; round < rounds; ++round) {
        best(ours, runClient(base, [&](LantoAPIClient& client) {
            return client.uploadSubmissionFile("bench", "content", path, "video/quicktime");
        }));
        best(curl, runCurl(partUploads));
    }
    server.kill();
    server.waitForFinished();

    printRun("single PUT", double(singleSize) / 1e6, single, singleCurl);
    std::printf("  (curl timed by its own --write-out %%{time_total}, without its process start)\n");
    std::printf("single PUT: the median of %d rounds each; multipart: the best of %d rounds each; memory: the highest peak\n",
        singleRounds, rounds);
    std::printf("multipart in %lld parts of %lld bytes, 3 in flight:\n", qlonglong(parts.size()),
        qlonglong(LantoAPIClient::partSize));
    printRun("multipart", double(size) / 1e6, ours, curl);
    std::printf("load after: %s\n", qPrintable(loadAverage()));
    std::printf("RESULT throughput_ratio_vs_curl=%.2f peak_extra_mb=%.1f single_put_ratio_vs_curl=%.2f "
                "single_put_peak_extra_mb=%.1f\n",
        curl.seconds / ours.seconds, ours.peakExtraMB, singleCurl.seconds / single.seconds, single.peakExtraMB);
    return 0;
}
