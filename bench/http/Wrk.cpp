#include "Wrk.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>

namespace {

double scaled(const QString& number, const QString& unit, const QStringList& units, double base)
{
    double value = number.toDouble();
    for (qsizetype i = units.indexOf(unit); i > 0; --i)
        value *= base;
    return value;
}

double capture(const QString& output, const QString& pattern, int group = 1)
{
    const QRegularExpressionMatch match
        = QRegularExpression(pattern, QRegularExpression::MultilineOption).match(output);
    return match.hasMatch() ? match.captured(group).toDouble() : 0;
}

} // namespace

WrkResult runWrk(const QString& url, int connections, int seconds, const QString& scriptPath)
{
    const int threads = std::min(connections, std::max(1, QThread::idealThreadCount() / 2));
    QStringList arguments { QStringLiteral("-t%1").arg(threads), QStringLiteral("-c%1").arg(connections),
        QStringLiteral("-d%1s").arg(seconds), QStringLiteral("--timeout"), QStringLiteral("60s"),
        QStringLiteral("--latency") };
    if (!scriptPath.isEmpty())
        arguments << QStringLiteral("-s") << scriptPath;
    arguments << url;

    QProcess wrk;
    wrk.setProcessChannelMode(QProcess::MergedChannels);
    wrk.start(QStringLiteral("wrk"), arguments);
    WrkResult result;
    if (!wrk.waitForFinished((seconds + 120) * 1000) || wrk.exitCode() != 0) {
        std::fprintf(stderr, "wrk failed: %s\n", qPrintable(QString::fromUtf8(wrk.readAll())));
        return result;
    }
    const QString output = QString::fromUtf8(wrk.readAll());
    result.ran = true;
    result.requestsPerSecond = capture(output, QStringLiteral("^Requests/sec:\\s+([0-9.]+)"));
    result.requests = qint64(capture(output, QStringLiteral("^\\s*([0-9]+) requests in")));

    const QRegularExpressionMatch transfer = QRegularExpression(
        QStringLiteral("^Transfer/sec:\\s+([0-9.]+)([KMGT]?B)"), QRegularExpression::MultilineOption)
                                                 .match(output);
    result.bytesPerSecond = scaled(transfer.captured(1), transfer.captured(2),
        { QStringLiteral("B"), QStringLiteral("KB"), QStringLiteral("MB"), QStringLiteral("GB"), QStringLiteral("TB") },
        1024);
    const QRegularExpressionMatch p99
        = QRegularExpression(QStringLiteral("^\\s+99%\\s+([0-9.]+)(us|ms|s|m)\\b"), QRegularExpression::MultilineOption)
              .match(output);
    const QString unit = p99.captured(2);
    const double factor = unit == QLatin1String("us") ? 0.001
        : unit == QLatin1String("s")                  ? 1000
        : unit == QLatin1String("m")                  ? 60000
                                                      : 1;
    result.p99Milliseconds = p99.captured(1).toDouble() * factor;

    result.failures = qint64(capture(output, QStringLiteral("^\\s*Non-2xx or 3xx responses:\\s+([0-9]+)")));
    const QRegularExpressionMatch socketErrors
        = QRegularExpression(QStringLiteral("Socket errors: connect (\\d+), read (\\d+), write (\\d+), timeout (\\d+)"))
              .match(output);
    for (int group = 1; group <= 4 && socketErrors.hasMatch(); ++group)
        result.failures += socketErrors.captured(group).toLongLong();
    return result;
}
