#include "ImportNaming.h"

#include "WallpaperFolder.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

constexpr qsizetype maxNameBytes = 200;

} // namespace

QString ImportNaming::titleFromFileName(const QString& path)
{
    static const QRegularExpression uuidPrefix(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}-"));
    QString title = QFileInfo(path).completeBaseName();
    return title.remove(uuidPrefix);
}

bool ImportNaming::isVideoFile(const QString& path)
{
    static const QStringList extensions { "mp4", "mov", "m4v", "avi", "mkv" };
    return extensions.contains(QFileInfo(path).suffix().toLower());
}

QString ImportNaming::contentFileName(const QString& title, const QString& extension)
{
    QString name;
    for (const QChar c : title)
        name.append(c == u'/' || c == u'\\' || c.category() == QChar::Other_Control ? QChar(u'_') : c);
    name = name.trimmed();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    while (name.toUtf8().size() > maxNameBytes)
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    if (name.trimmed().isEmpty())
        name = QStringLiteral("Wallpaper");
    const QString fileName = name + u'.' + extension;
    return WallpaperFolder::isContentFileName(fileName) ? fileName : QStringLiteral("content.") + extension;
}

QString ImportNaming::makeHexID()
{
    QString id;
    for (int i = 0; i < 7; ++i)
        id.append(QString::number(QRandomGenerator::system()->generate64() >> 60, 16));
    return id;
}

WallpaperCategory ImportNaming::categoryFromMetadata(const std::optional<EmbeddedMetadata>& metadata)
{
    if (!metadata || !metadata->category)
        return WallpaperCategory::digitalArt;
    const QString wanted = metadata->category->toLower();
    for (WallpaperCategory category : WallpaperCategories::allCases())
        if (rawValue(category).toLower() == wanted)
            return category;
    return WallpaperCategory::digitalArt;
}
