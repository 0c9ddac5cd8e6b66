#include "RegularFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/sendfile.h>
#include <unistd.h>

std::optional<RegularFile> RegularFile::open(const QString& path)
{
    // Non-blocking, so opening a pipe that no one writes returns at once.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return std::nullopt;
    struct stat status = {};
    // Reads of a regular file may then wait on the disk, as callers such as sendfile() expect.
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || ::fcntl(descriptor, F_SETFL, O_RDONLY) != 0) {
        ::close(descriptor);
        return std::nullopt;
    }
    return RegularFile(descriptor, status);
}

std::optional<QByteArray> RegularFile::readAll(const QString& path, qint64 maxSize)
{
    std::optional<RegularFile> file = open(path);
    return file ? file->contents(maxSize) : std::nullopt;
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1)), m_status(other.m_status)
{
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_status = other.m_status;
    }
    return *this;
}

RegularFile::~RegularFile()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

namespace {

// pread() that retries when a signal interrupts it.
ssize_t readAt(int descriptor, char* into, size_t count, qint64 offset)
{
    ssize_t got;
    do
        got = ::pread(descriptor, into, count, off_t(offset));
    while (got < 0 && errno == EINTR);
    return got;
}

} // namespace

std::optional<QByteArray> RegularFile::contents(qint64 maxSize, qsizetype spare)
{
    if (m_descriptor < 0 || size() > maxSize)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(qsizetype(size()) + spare);
    bytes.resize(qsizetype(size()));
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = readAt(m_descriptor, bytes.data() + filled, size_t(bytes.size() - filled), filled);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break; // shrunk since it was opened
        filled += qsizetype(got);
    }
    bytes.resize(filled);
    // More than the size it had when opened: it is being written, and what was read may be torn.
    char probe;
    if (filled == qsizetype(size()) && readAt(m_descriptor, &probe, 1, filled) != 0)
        return std::nullopt;
    return bytes;
}

int RegularFile::release()
{
    return std::exchange(m_descriptor, -1);
}

bool RegularFile::sync() const { return m_descriptor >= 0 && ::fsync(m_descriptor) == 0; }

bool RegularFile::linkTo(const QString& target, QString* error) const
{
    // Through the descriptor's own name, so that a file put at the path since is not the one linked.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_descriptor);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(target).constData(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    *error = qt_error_string(errno);
    return false;
}

bool RegularFile::copyTo(const QString& target, QString* error) const
{
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = out.errorString();
        return false;
    }
    // The kernel moves the bytes from file to file, a bounded piece at a time.
    constexpr size_t piece = 8 * 1024 * 1024;
    off_t offset = 0;
    for (;;) {
        const ssize_t copied = ::sendfile(out.handle(), m_descriptor, &offset, piece);
        if (copied == 0)
            break;
        if (copied < 0 && errno != EINTR) {
            *error = qt_error_string(errno);
            out.cancelWriting();
            return false;
        }
    }
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}
