#include "AerialAssetFiles.h"

#include "PropertyList.h"
#include "RegularFile.h"
#include "SettingsKeys.h"

#include <QDir>
#include <QFile>

#include <mutex>

#include <sys/stat.h>

namespace {

const QString videosFolder = QStringLiteral("videos");
const QString thumbnailsFolder = QStringLiteral("thumbnails");

// Opening is the test of existence: one look-up of the path, not a stat and then an open.
std::optional<AerialAssetFiles::OpenFile> openRegular(const QString& path)
{
    std::optional<RegularFile> file = RegularFile::open(path);
    if (!file)
        return std::nullopt;
    return AerialAssetFiles::OpenFile { path, std::move(*file) };
}

// The asset id is the file name without its last extension.
QString withoutExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// What tells one version of a file from the next without reading it.
struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified = {};
    timespec changed = {};

    explicit FileStamp(const struct stat& status)
        : device(status.st_dev), inode(status.st_ino), size(status.st_size), modified(status.st_mtim),
          changed(status.st_ctim)
    {
    }
    bool operator==(const FileStamp& other) const
    {
        return device == other.device && inode == other.inode && size == other.size
            && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec
            && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

QMap<QString, QString> parseAssetToHexMap(const QByteArray& bytes)
{
    const std::optional<PlistValue> root = PropertyList::parse(bytes);
    const auto settings = root ? root->toDictionary() : std::nullopt;
    const auto stored = settings ? settings->value(SettingsKey::aerialAssetToHex).toDictionary() : std::nullopt;
    if (!stored)
        return {};
    QMap<QString, QString> map;
    for (auto it = stored->cbegin(); it != stored->cend(); ++it) {
        const std::optional<QString> hex = it.value().toString();
        if (!hex)
            return {}; // not a map of texts to texts
        map.insert(it.key(), *hex);
    }
    return map;
}

} // namespace

struct AerialAssetFiles::MapCache
{
    std::mutex mutex;
    std::optional<FileStamp> stamp; // of the file the map was read from
    QMap<QString, QString> map;
};

AerialAssetFiles::AerialAssetFiles(const QString& home)
    : m_lantoDownloads(QDir(home).filePath(QStringLiteral("Library/Application Support/Lanto/Downloads"))),
      m_legacyAerialBase(
          QDir(home).filePath(QStringLiteral("Library/Application Support/com.apple.wallpaper/aerials"))),
      m_settingsPlistPath(QDir(home).filePath(QStringLiteral("Library/Application Support/Lanto/Settings.plist"))),
      m_mapCache(std::make_shared<MapCache>())
{
}

std::optional<AerialAssetFiles::OpenFile> AerialAssetFiles::openFile(const QString& path) const
{
    const QStringList pieces = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (pieces.size() != 2 || path.contains(QChar(0)))
        return std::nullopt;
    const QString& folder = pieces[0];
    if (auto mapped = openMapped(folder, withoutExtension(pieces[1])))
        return mapped;
    // Only the asset folders of the system's aerials are served, never its manifest or anything else there.
    if (folder != videosFolder && folder != thumbnailsFolder)
        return std::nullopt;
    return openRegular(m_legacyAerialBase + QLatin1Char('/') + folder + QLatin1Char('/') + pieces[1]);
}

std::optional<AerialAssetFiles::OpenFile> AerialAssetFiles::openMapped(const QString& folder, const QString& assetID) const
{
    const QString hex = readAssetToHexMap().value(assetID);
    if (!isSafeFolderName(hex))
        return std::nullopt;
    const QString wallpaperFolder = m_lantoDownloads + QLatin1Char('/') + hex + QLatin1Char('/');
    QString candidate;
    if (folder == videosFolder)
        candidate = wallpaperFolder + QStringLiteral("content.mov");
    else if (folder == thumbnailsFolder)
        candidate = wallpaperFolder + QStringLiteral("Poster.png");
    else
        return std::nullopt;
    return openRegular(candidate);
}

QMap<QString, QString> AerialAssetFiles::readAssetToHexMap() const
{
    // Every request asks: an unchanged file costs one stat, and is opened only when it has changed.
    struct stat seen = {};
    if (::stat(QFile::encodeName(m_settingsPlistPath).constData(), &seen) != 0 || !S_ISREG(seen.st_mode))
        return {};
    {
        const std::lock_guard lock(m_mapCache->mutex);
        if (m_mapCache->stamp == FileStamp(seen))
            return m_mapCache->map;
    }
    std::optional<RegularFile> file = RegularFile::open(m_settingsPlistPath);
    if (!file)
        return {};
    const FileStamp stamp(file->status());
    const std::lock_guard lock(m_mapCache->mutex);
    if (m_mapCache->stamp != stamp) {
        m_mapCache->map = parseAssetToHexMap(file->contents(PropertyList::maximumFileSize).value_or(QByteArray()));
        m_mapCache->stamp = stamp;
    }
    return m_mapCache->map;
}

bool AerialAssetFiles::isSafeFolderName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && !name.contains(QLatin1String(".."))
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}
