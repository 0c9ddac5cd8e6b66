#include "WallpaperFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

const QString contentPrefix = QStringLiteral("content.");

// What downloaders and editors leave behind while a file is being written.
bool isTemporaryName(const QString& name)
{
    static const QSet<QString> temporarySuffixes {
        QStringLiteral("tmp"),
        QStringLiteral("temp"),
        QStringLiteral("part"),
        QStringLiteral("partial"),
        QStringLiteral("crdownload"),
        QStringLiteral("download"),
    };
    if (name.endsWith(QLatin1Char('~')))
        return true;
    if (temporarySuffixes.contains(QFileInfo(name).suffix().toLower()))
        return true;
    // An atomic write in progress: the target's own name (dots and all) and six random letters or digits.
    static const QRegularExpression saveFileName(QStringLiteral("^.+\\.[^.]+\\.[A-Za-z0-9]{6}$"));
    return saveFileName.match(name).hasMatch();
}

} // namespace

std::optional<QString> WallpaperFolder::folderPath(const QString& parentFolder, const QString& id)
{
    if (id.isEmpty() || id == QLatin1String(".") || id == QLatin1String("..") || id.contains(QLatin1Char('/'))
        || id.contains(QLatin1Char('\\')) || id.contains(QChar(0)))
        return std::nullopt;
    return QDir(parentFolder).filePath(id);
}

bool WallpaperFolder::isContentFileName(const QString& name)
{
    static const QSet<QString> companions { posterFileName, previewFileName, metadataFileName, desktopImageFileName };
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !companions.contains(name)
        && !isTemporaryName(name);
}

std::optional<QString> WallpaperFolder::pickContentFileName(QStringList names)
{
    names.removeIf([](const QString& name) { return !isContentFileName(name); });
    if (names.isEmpty())
        return std::nullopt;
    return *std::min_element(names.cbegin(), names.cend(), [](const QString& a, const QString& b) {
        const bool aIsContent = a.startsWith(contentPrefix);
        const bool bIsContent = b.startsWith(contentPrefix);
        if (aIsContent != bIsContent)
            return aIsContent;
        return a < b;
    });
}

std::optional<QStringList> WallpaperFolder::fileNames(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return std::nullopt;
    return dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
}

std::optional<QUrl> WallpaperFolder::contentFileURL(const QString& folder)
{
    const std::optional<QStringList> names = fileNames(folder);
    if (!names)
        return std::nullopt;
    const std::optional<QString> name = pickContentFileName(*names);
    if (!name)
        return std::nullopt;
    return QUrl::fromLocalFile(QDir(folder).filePath(*name));
}

std::optional<QUrl> WallpaperFolder::posterURL(const QString& folder)
{
    const QString path = QDir(folder).filePath(posterFileName);
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return QUrl::fromLocalFile(path);
}
