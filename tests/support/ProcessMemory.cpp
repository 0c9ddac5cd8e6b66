#include "ProcessMemory.h"

#include <QFile>

namespace {

qint64 statusField(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

qint64 ProcessMemory::residentKB() { return statusField("VmRSS:"); }

qint64 ProcessMemory::peakKB() { return statusField("VmHWM:"); }

void ProcessMemory::resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
