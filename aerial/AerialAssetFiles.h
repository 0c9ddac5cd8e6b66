#pragma once

#include <QMap>
#include <QString>

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

    // The file for a request path "videos/<asset>.<ext>" or "thumbnails/<asset>.<ext>",
    // if it exists. Reads the map from disk on every call.
    std::optional<QString> resolveFile(const QString& path) const;

    // "aerialAssetToHex" as it is on disk now; empty when the file, the key or its shape is wrong.
    QMap<QString, QString> readAssetToHexMap() const;

    // Whether a mapped folder name names exactly one folder inside the downloads.
    static bool isSafeFolderName(const QString& name);

private:
    std::optional<QString> mappedCandidate(const QString& folder, const QString& assetID) const;

    QString m_lantoDownloads;
    QString m_legacyAerialBase;
    QString m_settingsPlistPath;
};
