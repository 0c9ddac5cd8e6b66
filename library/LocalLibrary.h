#pragma once

#include "AccountSource.h"
#include "Wallpaper.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct LocalWallpaperMeta;

// The per-wallpaper folders under "Downloads", each named by the wallpaper's
// hex id. The user's own items are the folders holding a "metadata.json".
class LocalLibrary
{
public:
    explicit LocalLibrary(QString downloadsDirectory);

    const QString& downloadsDirectory() const { return m_downloadsDirectory; }

    // The names listed in the downloads folder; none when it cannot be listed.
    QStringList entryNames() const;

    // The local items on disk, in folder-listing order. The account is read
    // once per item. Folders without a readable record are skipped.
    QList<Wallpaper> scan(const std::function<SignedInAccount()>& account) const;

    // Writes "metadata.json" whole and atomically into the folder named by the
    // wallpaper's cloud id. Nothing happens without a cloud id, without the
    // folder, or on a failure.
    void writeMetadata(const Wallpaper& wallpaper) const;
    bool hasLocalMetadata(const Wallpaper& wallpaper) const;

    // The creator id of the account's own items, from its profile id: UUID text
    // reads as itself, any other id (the service's 24 hex digits) as a hex id.
    // The same profile id always gives the same creator id, so a later rename
    // of the account finds the items it credits.
    static QUuid ownCreatorId(const QString& profileId);

    // The library record of a local item.
    static Wallpaper wallpaperFrom(const LocalWallpaperMeta& meta, const SignedInAccount& account);

private:
    // Nothing when the id cannot name a folder directly inside the downloads folder.
    std::optional<QString> metadataPath(const QString& hexID) const;

    QString m_downloadsDirectory;
};
