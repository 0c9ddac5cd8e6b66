#include "Log.h"

#include <QMutex>

#include <systemd/sd-journal.h>

#include <sys/stat.h>
#include <sys/uio.h>
#include <syslog.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

QMutex& logMutex()
{
    static QMutex mutex;
    return mutex;
}

Log::Sink& currentSink()
{
    static Log::Sink sink;
    return sink;
}

Log::JournalWriter& currentJournalWriter()
{
    static Log::JournalWriter writer;
    return writer;
}

bool sendToSystemJournal(const QByteArrayList& fields)
{
    // The journal library drops entries silently when there is no journal, so look for its socket first.
    struct stat socketStatus
    {
    };
    if (::stat("/run/systemd/journal/socket", &socketStatus) != 0 || !S_ISSOCK(socketStatus.st_mode))
        return false;
    std::vector<iovec> parts;
    parts.reserve(size_t(fields.size()));
    for (const QByteArray& field : fields)
        parts.push_back({ const_cast<char*>(field.constData()), size_t(field.size()) });
    // Values are sent with their lengths, so a line may hold any bytes, newlines included.
    return sd_journal_sendv(parts.data(), int(parts.size())) >= 0;
}

QByteArray programName() { return QByteArray(program_invocation_short_name); }

} // namespace

QByteArrayList Log::journalFields(Level level, const QString& line, const Origin& origin)
{
    QByteArrayList fields;
    fields.append("MESSAGE=" + line.toUtf8());
    fields.append("PRIORITY=" + QByteArray::number(level == Level::error ? LOG_ERR : LOG_INFO));
    if (!origin.subsystem.isEmpty())
        fields.append("SUBSYSTEM=" + origin.subsystem.toUtf8());
    if (!origin.category.isEmpty())
        fields.append("CATEGORY=" + origin.category.toUtf8());
    fields.append("SYSLOG_IDENTIFIER=" + programName());
    return fields;
}

void Log::write(const QString& line) { write(Level::info, line, {}); }

void Log::write(Level level, const QString& line, const Origin& origin)
{
    const QByteArrayList fields = journalFields(level, line, origin);
    QMutexLocker lock(&logMutex());
    const JournalWriter& journal = currentJournalWriter();
    if (!(journal ? journal(fields) : sendToSystemJournal(fields))) {
        const QByteArray bytes = line.toUtf8() + '\n';
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    }
    if (currentSink())
        currentSink()(line);
}

Log::Sink Log::setSink(Sink sink)
{
    QMutexLocker lock(&logMutex());
    return std::exchange(currentSink(), std::move(sink));
}

Log::JournalWriter Log::setJournalWriter(JournalWriter writer)
{
    QMutexLocker lock(&logMutex());
    return std::exchange(currentJournalWriter(), std::move(writer));
}
