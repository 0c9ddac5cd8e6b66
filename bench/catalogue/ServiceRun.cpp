#include "ServiceRun.h"

#include "LantoAPIClient.h"
#include "WallpaperCategory.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFutureSynchronizer>
#include <QProcess>
#include <QRegularExpression>

#include <cstdio>

namespace {

// Its first start makes the sample wallpapers through the import pipeline: minutes on a busy machine.
constexpr int startDeadlineMs = 15 * 60 * 1000;

std::optional<QUrl> awaitOrigin(QProcess& service)
{
    static const QRegularExpression listening(QStringLiteral("listening on (http://\\S+)"));
    QByteArray said;
    QDeadlineTimer deadline(startDeadlineMs);
    // The process is only "starting" right after start(): wait until it runs or fails to.
    if (!service.waitForStarted(30'000)) {
        std::printf("lanto-service did not start: %s\n", qPrintable(service.errorString()));
        return std::nullopt;
    }
    while (!deadline.hasExpired() && service.state() == QProcess::Running) {
        if (service.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 1000))))
            said += service.readAllStandardOutput();
        if (const QRegularExpressionMatch match = listening.match(QString::fromUtf8(said)); match.hasMatch())
            return QUrl(match.captured(1) + QStringLiteral("/api/v1"));
    }
    std::printf("lanto-service did not say where it listens: %s\n", said.constData());
    return std::nullopt;
}

} // namespace

QString serviceProgram()
{
    const QString named = qEnvironmentVariable("LANTO_SERVICE_PROGRAM");
    if (!named.isEmpty())
        return named;
    // Programs land in the build's bin folder, two levels above this benchmark.
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/../../bin/lanto-service");
    return QFileInfo(built).isExecutable() ? QFileInfo(built).canonicalFilePath() : QString();
}

std::optional<ServiceCatalogue> fetchFromService(const QString& program, const QString& dataFolder, int records)
{
    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service.start(program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"), dataFolder,
                            QStringLiteral("--records"), QString::number(records)});
    const std::optional<QUrl> base = awaitOrigin(service);
    if (!base)
        return std::nullopt;

    LantoAPIClient client(*base);
    ServiceCatalogue catalogue;
    QElapsedTimer clock;
    clock.start();
    QList<QFuture<Result<QList<APIWallpaper>>>> pages;
    for (WallpaperCategory category : WallpaperCategories::allCases())
        pages.append(client.fetchWallpapers(serviceKey(category)));
    for (QFuture<Result<QList<APIWallpaper>>>& page : pages) {
        while (!page.isFinished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const Result<QList<APIWallpaper>> listing = page.result();
        if (!listing) {
            std::printf("lanto-service: a category failed: %s\n", qPrintable(listing.error().description()));
            return std::nullopt;
        }
        catalogue.records += listing.value();
    }
    catalogue.fetchMilliseconds = clock.nsecsElapsed() / 1e6;
    service.terminate();
    service.waitForFinished(10'000);
    return catalogue;
}
