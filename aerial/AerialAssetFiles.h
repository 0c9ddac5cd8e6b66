#pragma once

#include "RegularFile.h"

#include <QMap>
#include <QString>

#include <memory>
#include <optional>

// Where the loopback server finds the files of a placed aerial, under a home folder:
// the wallpaper's own folder in the library's downloads, mapped from the asset id
// through "aerialAssetToHex" in Settings.plist, or the system's aerials folder.
class AerialAssetFiles
{
public:
    explicit AerialAssetFiles(const QString& home);

    const QString& lantoDownloads() const { return m_lantoDownloads; }
    const QString& legacyAerialBase() const { return m_legacyAerialBase; }
    const QString& settingsPlistPath() const { return m_settingsPlistPath; }

    struct OpenFile
    {
        QString path;
        RegularFile file;
    };

    // The file for a request path "videos/<asset>.<ext>" or "thumbnails/<asset>.<ext>",
    // found through the map as it is on disk now, and opened: a candidate that
    // cannot be opened as a regular file counts as missing.
    std::optional<OpenFile> openFile(const QString& path) const;

    // "aerialAssetToHex" as it is on disk now; empty when the file, the key or its shape is
    // wrong, or the file is not a regular one. The file is parsed again only when it has
    // changed (another inode, size or time stamp); any thread may call this.
    QMap<QString, QString> readAssetToHexMap() const;

    // Whether a mapped folder name names exactly one folder inside the downloads.
    static bool isSafeFolderName(const QString& name);

private:
    struct MapCache;

    std::optional<OpenFile> openMapped(const QString& folder, const QString& assetID) const;

    QString m_lantoDownloads;
    QString m_legacyAerialBase;
    QString m_settingsPlistPath;
    std::shared_ptr<MapCache> m_mapCache; // shared by copies: they read the same file
};
