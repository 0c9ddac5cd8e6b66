#include "Keychain.h"

#include "RegularFile.h"
#include "UserHome.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Items are small secrets; anything larger is not one of ours.
constexpr qint64 maximumItemSize = 1 << 20;

// Creates the folder, or narrows an existing one, to owner-only access.
bool prepareDirectory()
{
    const QString path = Keychain::directory();
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info;
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    return (info.st_mode & 0777) == 0700 || ::chmod(native.constData(), 0700) == 0;
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

// A finished file with the item's bytes beside the target, created owner-only
// before any byte is in it. Empty when it could not be made.
QByteArray writeTemporary(const QString& target, const QByteArray& data)
{
    QByteArray path = QFile::encodeName(target) + ".XXXXXX";
    const int fd = ::mkstemp(path.data()); // always created with mode 0600
    if (fd < 0)
        return {};
    const bool written = writeAll(fd, data) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
        ::unlink(path.constData());
        return {};
    }
    return path;
}

bool itemExists(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

QString Keychain::directory() { return QDir(UserHome::path()).filePath(QStringLiteral("Library/Keychains")); }

QString Keychain::itemPath(const QString& service, const QString& account)
{
    // Percent-encoding leaves no "/" and no "+", so the name is one component
    // and the pair is unambiguous.
    const QByteArray name = QUrl::toPercentEncoding(service) + '+' + QUrl::toPercentEncoding(account);
    return QDir(directory()).filePath(QString::fromLatin1(name));
}

Keychain::Status Keychain::find(const QString& service, const QString& account, QByteArray* data)
{
    QFile file(itemPath(service, account));
    if (!file.exists())
        return Status::itemNotFound;
    const std::optional<QByteArray> bytes = RegularFile::readAll(file.fileName(), maximumItemSize);
    if (!bytes)
        return Status::failure;
    *data = *bytes;
    return Status::success;
}

Keychain::Status Keychain::update(const QString& service, const QString& account, const QByteArray& data)
{
    const QString path = itemPath(service, account);
    if (!itemExists(path))
        return Status::itemNotFound;
    if (!prepareDirectory())
        return Status::failure;
    const QByteArray temporary = writeTemporary(path, data);
    if (temporary.isEmpty())
        return Status::failure;
    if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temporary.constData());
        return Status::failure;
    }
    return Status::success;
}

Keychain::Status Keychain::add(const QString& service, const QString& account, const QByteArray& data)
{
    if (!prepareDirectory())
        return Status::failure;
    const QString path = itemPath(service, account);
    const QByteArray temporary = writeTemporary(path, data);
    if (temporary.isEmpty())
        return Status::failure;
    // link() refuses an existing name, so two adds cannot both win.
    const int linked = ::link(temporary.constData(), QFile::encodeName(path).constData());
    const int linkError = errno;
    ::unlink(temporary.constData());
    if (linked == 0)
        return Status::success;
    return linkError == EEXIST ? Status::duplicateItem : Status::failure;
}

Keychain::Status Keychain::remove(const QString& service, const QString& account)
{
    const QByteArray path = QFile::encodeName(itemPath(service, account));
    if (::unlink(path.constData()) == 0)
        return Status::success;
    return errno == ENOENT ? Status::itemNotFound : Status::failure;
}
