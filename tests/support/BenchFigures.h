#pragma once

#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>

// Small helpers the benchmarks share for the figures they print.
namespace BenchFigures {

// The 1, 5 and 15 minute load averages, as /proc gives them.
inline QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2)
                                          : QStringLiteral("?");
}

inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// ours / theirs, or 0 when there is nothing to compare against.
inline double ratio(double ours, double theirs) { return theirs > 0 ? ours / theirs : 0; }

} // namespace BenchFigures
