#include "PreviewAddress.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// Links resolve as far as the path exists; the rest is taken as written, ".." removed.
QString resolvedPath(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QString existing = clean;
    QString rest;
    while (!QFileInfo::exists(existing)) {
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0)
            return clean;
        rest.prepend(existing.mid(slash));
        existing.truncate(slash);
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return canonical.isEmpty() ? clean : canonical + rest;
}

bool isInside(const QString& path, const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QString root = resolvedPath(folder);
    return path.startsWith(root + u'/') && path.size() > root.size() + 1;
}

} // namespace

bool isAcceptedPreviewAddress(const QUrl& url, const QStringList& folders)
{
    if (!url.isValid() || url.isRelative())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https")
        return !url.host().isEmpty();
    if (!url.isLocalFile() || !url.host().isEmpty())
        return false;
    const QString local = url.toLocalFile();
    if (!QDir::isAbsolutePath(local))
        return false;
    const QString path = resolvedPath(local);
    return std::any_of(folders.cbegin(), folders.cend(), [&](const QString& folder) { return isInside(path, folder); });
}
