#pragma once

#include "AerialsManifest.h"
#include "SystemWallpaper.h"

#include <QString>

#include <optional>

// The system's aerial files that placing one of our videos writes: the
// aerials folders, the manifest, and each asset's video and thumbnail, linked
// in from the wallpaper's own folder. Logs what fails. Not thread-safe: the
// aerial manager serialises calls.
class PlacedAerialFiles
{
public:
    explicit PlacedAerialFiles(const SystemWallpaper::Paths& paths) : m_paths(paths) { }

    // The videos, thumbnails and manifest folders, where missing.
    void createDirectories() const;

    // The manifest; an empty one when there is no file, none when it cannot be read.
    std::optional<AerialsManifest> readManifest() const;
    bool writeManifest(const AerialsManifest& manifest) const;

    // A hard link at to, or a whole copy where linking fails; nothing when from is no file.
    void linkOrCopy(const QString& from, const QString& to) const;
    // The asset's video and thumbnails in every extension they may have.
    void deleteFiles(const QString& assetID) const;

private:
    const SystemWallpaper::Paths& m_paths;
};
