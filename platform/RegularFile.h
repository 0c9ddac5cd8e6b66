#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include <sys/stat.h>

// A file read from a path that someone else controls (the user's folders, the
// system's stores). A named pipe, device or socket in a file's place would make
// open() or read() wait forever or stream without end, so the open never
// waits, only regular files are accepted, and every read has a size cap.
class RegularFile
{
public:
    // The regular file at path, open for reading with ordinary (blocking)
    // reads; nothing when it is missing, unreadable or not a regular file.
    static std::optional<RegularFile> open(const QString& path);
    // The whole regular file at path when it holds at most maxSize bytes.
    static std::optional<QByteArray> readAll(const QString& path, qint64 maxSize);

    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    int descriptor() const { return m_descriptor; }
    // As fstat() saw the file when it was opened.
    const struct stat& status() const { return m_status; }
    qint64 size() const { return qint64(m_status.st_size); }

    // The whole file when it held at most maxSize bytes at open(); a file that
    // has grown since is being written and is refused. spare bytes of capacity
    // are reserved behind the contents for a caller's padding.
    std::optional<QByteArray> contents(qint64 maxSize, qsizetype spare = 0);
    // Forces the file to disk.
    bool sync() const;
    // Gives the open file a second name: the file found at open(), whatever is
    // at its path by now. On failure false and the reason.
    bool linkTo(const QString& target, QString* error) const;
    // Copies the whole file to target, which is replaced in one step. On failure false and the reason.
    bool copyTo(const QString& target, QString* error) const;
    // Hands the descriptor to the caller, who closes it.
    int release();

private:
    RegularFile(int descriptor, const struct stat& status) : m_descriptor(descriptor), m_status(status) {}

    int m_descriptor = -1;
    struct stat m_status = {};
};
