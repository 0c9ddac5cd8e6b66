#include "SaveFileLeftovers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>

#include <sys/stat.h>
#include <unistd.h>

namespace SaveFileLeftovers {

namespace {

constexpr qsizetype randomPartLength = 6;

bool isRandomPart(QStringView text)
{
    return text.size() == randomPartLength && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 && std::isalnum(c.unicode());
    });
}

} // namespace

int remove(const QString& path, std::chrono::seconds minimumAge)
{
    const QFileInfo target(path);
    const QString prefix = target.fileName() + QLatin1Char('.');
    const QDir folder = target.absoluteDir();
    const qint64 latest = QDateTime::currentSecsSinceEpoch() - minimumAge.count();
    int removed = 0;
    for (const QString& name : folder.entryList({ prefix + QLatin1Char('*') }, QDir::Files | QDir::Hidden | QDir::System)) {
        if (!isRandomPart(QStringView(name).sliced(prefix.size())))
            continue;
        const QByteArray leftover = QFile::encodeName(folder.filePath(name));
        struct stat status = {};
        // Not followed through a link, and only what this user could have written.
        if (::lstat(leftover.constData(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::getuid()
            || status.st_mtim.tv_sec > latest)
            continue;
        if (::unlink(leftover.constData()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace SaveFileLeftovers
