#include "Log.h"

#include <QMutex>

#include <cstdio>

namespace {

QMutex& sinkMutex()
{
    static QMutex mutex;
    return mutex;
}

Log::Sink& currentSink()
{
    static Log::Sink sink;
    return sink;
}

} // namespace

void Log::write(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    QMutexLocker lock(&sinkMutex());
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    if (currentSink())
        currentSink()(line);
}

Log::Sink Log::setSink(Sink sink)
{
    QMutexLocker lock(&sinkMutex());
    return std::exchange(currentSink(), std::move(sink));
}
