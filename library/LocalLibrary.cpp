#include "LocalLibrary.h"

#include "HexID.h"
#include "LocalWallpaperMeta.h"
#include "RegularFile.h"
#include "SystemColor.h"
#include "UuidText.h"
#include "WallpaperFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// A record is a few hundred bytes; anything far larger is not one.
constexpr qint64 maxMetadataBytes = 1024 * 1024;

std::optional<LocalWallpaperMeta> readMetadata(const QString& path)
{
    const std::optional<QByteArray> bytes = RegularFile::readAll(path, maxMetadataBytes);
    return bytes ? LocalWallpaperMeta::fromJson(*bytes) : std::nullopt;
}

} // namespace

LocalLibrary::LocalLibrary(QString downloadsDirectory) : m_downloadsDirectory(std::move(downloadsDirectory)) {}

std::optional<QString> LocalLibrary::metadataPath(const QString& hexID) const
{
    const std::optional<QString> folder = WallpaperFolder::folderPath(m_downloadsDirectory, hexID);
    return folder ? std::optional(*folder + u'/' + WallpaperFolder::metadataFileName) : std::nullopt;
}

QStringList LocalLibrary::entryNames() const
{
    return QDir(m_downloadsDirectory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Unsorted);
}

QList<Wallpaper> LocalLibrary::scan(const std::function<SignedInAccount()>& account) const
{
    QList<Wallpaper> items;
    for (const QString& name : entryNames()) {
        if (!QFileInfo(m_downloadsDirectory + u'/' + name).isDir())
            continue;
        const std::optional<QString> path = metadataPath(name);
        const std::optional<LocalWallpaperMeta> meta = path ? readMetadata(*path) : std::nullopt;
        // A record naming a path outside its folder would lead later writes astray.
        if (!meta || !metadataPath(meta->hexID))
            continue;
        items.append(wallpaperFrom(*meta, account()));
    }
    return items;
}

QUuid LocalLibrary::ownCreatorId(const QString& profileId)
{
    return uuidFromText(profileId).value_or(uuidFromHexID(profileId));
}

Wallpaper LocalLibrary::wallpaperFrom(const LocalWallpaperMeta& meta, const SignedInAccount& account)
{
    Wallpaper w;
    w.id = uuidFromHexID(meta.hexID);
    w.edit().hexID = meta.hexID;
    w.edit().title = meta.title;
    // Without an account the items credit no one in particular.
    w.edit().creator.id = account.profileId ? ownCreatorId(*account.profileId) : QUuid::createUuid();
    w.edit().creator.name = account.displayName.value_or(u"You"_s);
    w.edit().creator.avatarColor = systemColor(SystemColor::purple);
    w.edit().creator.avatarUrl = account.avatarUrl;
    w.edit().creator.serverProfileId = account.profileId;
    w.edit().category = WallpaperCategories::fromRawValue(meta.category).value_or(WallpaperCategory::digitalArt);
    w.edit().tags = QStringList{u"imported"_s};
    w.edit().previewColors = {colorFromHex(u"#6644CC"_s), colorFromHex(u"#4466CC"_s)};
    w.edit().resolution = QSizeF(double(meta.resolutionWidth), double(meta.resolutionHeight));
    w.edit().fileSize = meta.fileSize;
    w.edit().isNew = true;
    w.edit().dateAdded = QDateTime::currentDateTime();
    w.edit().wallpaperType = meta.type == u"video"_s ? WallpaperType::video : WallpaperType::image;
    w.edit().cloudID = meta.hexID;
    w.edit().localizedTitles = meta.localizedTitles;
    w.edit().submissionStatus = meta.submissionStatus;
    w.edit().serverWallpaperId = meta.serverWallpaperId;
    return w;
}

void LocalLibrary::writeMetadata(const Wallpaper& wallpaper) const
{
    const std::optional<LocalWallpaperMeta> meta = LocalWallpaperMeta::of(wallpaper);
    const std::optional<QString> path = meta ? metadataPath(meta->hexID) : std::nullopt;
    if (!path)
        return;
    // Into an existing folder only; QSaveFile creates none.
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(meta->toJson());
    file.commit();
}

bool LocalLibrary::hasLocalMetadata(const Wallpaper& wallpaper) const
{
    const std::optional<QString> path = metadataPath(wallpaper.hexID());
    return path && QFileInfo::exists(*path);
}
