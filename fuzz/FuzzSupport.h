#pragma once

#include "Log.h"
#include "Scheduler.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStringList>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Helpers shared by the fuzz targets.
namespace FuzzSupport {

// Delayed work is never run: each input is judged by what it does at once.
class DroppingScheduler final : public Scheduler
{
public:
    Clock::time_point now() const override { return Clock::now(); }
    void schedule(WorkItemPtr, Duration) override { }
};

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A broken promise of the code under test: abort, so libFuzzer keeps the input.
inline void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Log lines go nowhere: millions of inputs would flood the journal.
inline void silenceLog()
{
    static const bool silenced = [] {
        Log::setJournalWriter([](const QByteArrayList&) { return true; });
        return true;
    }();
    Q_UNUSED(silenced);
}

// A folder of this process's own for the files an input is written to: in
// memory where /dev/shm is, so the disk is spared millions of small writes.
inline QTemporaryDir& scratchFolder()
{
    silenceLog();
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/lanto-fuzz-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/lanto-fuzz-XXXXXX"));
    check(folder.isValid(), "a scratch folder");
    return folder;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    check(QDir().mkpath(QFileInfo(path).absolutePath()), "making the input's folder");
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
        "writing the input");
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The names in a folder and below it, for telling that nothing was added.
inline QStringList filesBelow(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(it.next());
    names.sort();
    return names;
}

} // namespace FuzzSupport
