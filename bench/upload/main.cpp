// Uploads a large file through the multipart submission upload and, in the
// same run, the same parts with curl (three uploads in parallel), both to the
// fake web service running in a child process; prints throughput and peak
// memory of both and their ratios.
//
// bench_upload [--size-mb N]

#include "AwaitFuture.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "ProcessMemory.h"
#include "SessionTokenStore.h"
#include "TemporaryHome.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>
#include <sys/resource.h>

namespace {

const QString filesPath = QStringLiteral("me/wallpapers/bench/files/content");

// The service side: answers every part and keeps no body bytes.
int serve()
{
    FakeWebService service;
    service.setRecordedBodyLimit(0);
    service.on(
        "POST", filesPath + "/multipart-init", FakeReply::ok(QJsonObject { { "uploadId", "u" }, { "key", "k" } }));
    service.on("PUT", filesPath + "/multipart-part", FakeReply::ok(QJsonObject { { "etag", "e" } }));
    service.on("POST", filesPath + "/multipart-complete", FakeReply::ok(QJsonObject { { "uploaded", "content" } }));
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

Figures runClient(const QUrl& base, const QString& path)
{
    LantoAPIClient client(base);
    const qint64 idle = ProcessMemory::residentKB();
    ProcessMemory::resetPeak();
    QElapsedTimer clock;
    clock.start();
    const std::optional<Result<Done>> done = awaitFuture(
        client.uploadSubmissionFile("bench", "content", path, "video/quicktime"), std::chrono::minutes(10));
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (!done || !done->ok())
        qFatal("the upload failed: %s", done ? qPrintable(done->error().description()) : "unfinished");
    return { seconds, double(ProcessMemory::peakKB() - idle) / 1024.0 };
}

Figures runCurl(const QUrl& base, const QStringList& parts)
{
    QStringList arguments { "--silent", "--show-error", "--fail", "--parallel", "--parallel-max", "3", "-H",
        "Authorization: Bearer bench", "-H", "Content-Type: application/octet-stream" };
    for (int i = 0; i < parts.size(); ++i) {
        QUrl url = base;
        url.setPath(base.path() + "/" + filesPath + "/multipart-part");
        url.setQuery(QStringLiteral("uploadId=u&partNumber=%1&key=k").arg(i + 1));
        arguments << "-T" << parts[i] << url.toString() << "-o"
                  << "/dev/null";
    }
    QProcess curl;
    curl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    curl.start(QStringLiteral("curl"), arguments);
    if (!curl.waitForFinished(10 * 60 * 1000) || curl.exitCode() != 0)
        qFatal("curl failed");
    const double seconds = clock.nsecsElapsed() / 1e9;
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage); // the largest child so far: curl
    return { seconds, double(usage.ru_maxrss) / 1024.0 };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({ "size-mb", "Size of the uploaded file in MB.", "N", "200" });
    parser.addOption({ "serve", "Run as the service (internal)." });
    parser.process(app);
    if (parser.isSet("serve"))
        return serve();

    const qint64 size = parser.value("size-mb").toLongLong() * 1000 * 1000;
    TemporaryHome home;
    if (!SessionTokenStore::save(QStringLiteral("bench")))
        qFatal("cannot store the token");
    const QString path = home.filePath(QStringLiteral("content.mov"));
    if (!writeFile(path, size))
        qFatal("cannot write %s", qPrintable(path));
    const QStringList parts = splitParts(path, home.path());

    QProcess server;
    server.start(QCoreApplication::applicationFilePath(), { "--serve" });
    if (!server.waitForReadyRead(10000))
        qFatal("the service did not start");
    QUrl base(QStringLiteral("http://127.0.0.1/api/v1"));
    base.setPort(server.readLine().trimmed().toInt());

    const Figures ours = runClient(base, path);
    const Figures curl = runCurl(base, parts);
    server.kill();
    server.waitForFinished();

    const double mb = double(size) / 1e6;
    const double ourRate = mb / ours.seconds;
    const double curlRate = mb / curl.seconds;
    std::printf("file: %.0f MB in %lld parts of %lld bytes, 3 in flight\n", mb, qlonglong(parts.size()),
        qlonglong(LantoAPIClient::partSize));
    std::printf("lanto: %.2f s, %.1f MB/s, peak memory %.1f MB above idle\n", ours.seconds, ourRate, ours.peakExtraMB);
    std::printf(
        "curl:  %.2f s, %.1f MB/s, peak memory %.1f MB (whole process)\n", curl.seconds, curlRate, curl.peakExtraMB);
    std::printf("RESULT throughput_ratio_vs_curl=%.2f peak_extra_mb=%.1f\n", ourRate / curlRate, ours.peakExtraMB);
    return 0;
}
