#include "ProcessSample.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 statusField(const QByteArray& status, const QByteArray& name)
{
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

} // namespace

ProcessSample ProcessSample::of(qint64 pid)
{
    ProcessSample sample;
    const QString folder = QStringLiteral("/proc/%1").arg(pid);
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QByteArray stat = readFile(folder + QStringLiteral("/stat"));
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 12) {
        const double ticks = double(sysconf(_SC_CLK_TCK));
        sample.cpuSeconds = (fields[11].toLongLong() + fields[12].toLongLong()) / ticks;
    }
    const QByteArray status = readFile(folder + QStringLiteral("/status"));
    sample.peakRssKiB = statusField(status, "VmHWM");
    sample.rssKiB = statusField(status, "VmRSS");
    const QByteArray rollup = readFile(folder + QStringLiteral("/smaps_rollup"));
    sample.pssKiB = statusField(rollup, "Pss");
    sample.pssAnonKiB = statusField(rollup, "Pss_Anon");
    sample.pssFileKiB = statusField(rollup, "Pss_File");
    sample.pssShmemKiB = statusField(rollup, "Pss_Shmem");
    const QByteArray maps = readFile(folder + QStringLiteral("/smaps"));
    const qsizetype heap = maps.indexOf(" [heap]\n");
    if (heap >= 0)
        sample.heapPssKiB = statusField(maps.mid(heap, maps.indexOf("VmFlags", heap) - heap), "Pss");
    const QStringList threads = QDir(folder + QStringLiteral("/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& thread : threads) {
        const QByteArray status = readFile(folder + QStringLiteral("/task/") + thread + QStringLiteral("/status"));
        sample.contextSwitches
            += statusField(status, "voluntary_ctxt_switches") + statusField(status, "nonvoluntary_ctxt_switches");
    }
    return sample;
}

ProcessUse ProcessUse::between(const ProcessSample& first, const ProcessSample& last, double seconds)
{
    ProcessUse use;
    use.cpuPercent = 100.0 * (last.cpuSeconds - first.cpuSeconds) / seconds;
    use.wakeupsPerSecond = double(last.contextSwitches - first.contextSwitches) / seconds;
    return use;
}
