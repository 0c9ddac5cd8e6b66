#pragma once

#include "PropertyList.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>

// The operating system's wallpaper store ("Store/Index.plist"): the choice of
// wallpaper per display, per Space and by default. These functions stamp an
// aerial or an image into its root dictionary, check that a stamp is still in
// force, and read and write the file. They hold no state and run on any thread;
// both programs use them.

// Writes the aerial into "AllSpacesAndDisplays", "SystemDefault", the main
// display's entry of "Displays" and every Space. Leaves the root untouched when
// the configuration cannot be encoded.
void stampAerial(PlistValue::Dictionary& root, const QString& assetID, const QString& mainDisplayUUID,
    const QDateTime& now = QDateTime::currentDateTimeUtc());

// Writes the image into the display's entry of "Displays" and of every Space's "Displays".
void stampImage(PlistValue::Dictionary& root, const QString& displayUUID, const QUrl& imageURL,
    const QDateTime& now = QDateTime::currentDateTimeUtc());

// Whether the aerial is in force on the main display and an image on each other display.
bool storeHasAerial(const PlistValue::Dictionary& root, const QString& assetID, const QString& mainDisplayUUID,
    const QStringList& otherDisplayUUIDs);
// The same for the store file; false when it cannot be read. Never writes.
bool indexPlistHasAerial(
    const QString& path, const QString& assetID, const QString& mainDisplayUUID, const QStringList& otherDisplayUUIDs);

// "file://" and the absolute path, percent-encoded as a URL path.
QString imageFileReference(const QString& absolutePath);

namespace WallpaperStoreFile {

struct ReadResult
{
    enum class Status {
        Missing, // no file: a fresh store may be written
        Unreadable, // a file that is not a property list with a dictionary root: leave it alone
        Read,
    };
    Status status = Status::Missing;
    PlistValue::Dictionary root;
};

ReadResult read(const QString& path);

// Writes the root whole and atomically as a binary property list, creating its
// folder; on failure answers false and the reason in error.
bool write(const QString& path, const PlistValue::Dictionary& root, QString* error);

// Forces the file and then its folder to disk; does nothing when the file cannot be opened.
void syncToDisk(const QString& path);

} // namespace WallpaperStoreFile
