#pragma once

#include "Creator.h"
#include "LocaleName.h"
#include "WallpaperCategory.h"
#include "WallpaperType.h"

#include <QColor>
#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSharedData>
#include <QSharedDataPointer>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>

struct APIWallpaper;

// Everything a wallpaper record holds but its id.
struct WallpaperFields : QSharedData
{
    QString hexID; // also the name of the item's folder under the downloads folder
    QString title;
    Creator creator;
    WallpaperCategory category = WallpaperCategory::digitalArt;
    WallpaperType wallpaperType = WallpaperType::image;
    bool isFeatured = false;
    bool isNew = false;
    QStringList tags; // ids of the service's tag catalogue
    QList<QColor> previewColors; // dominant colours, in the service's order
    QSizeF resolution; // pixels
    qint64 fileSize = 0; // bytes
    qint64 downloadCount = 0;
    qint64 favoriteCount = 0;
    QDateTime dateAdded;
    std::optional<QString> cloudID; // absent for items that exist only on this machine
    std::optional<QString> remoteThumbnailURL;
    std::optional<QString> remotePosterURL;
    std::optional<QString> remoteContentURL;
    std::optional<QString> remotePreviewClipURL;
    // Keyed by a language code alone, or joined by "-" with a region or script code.
    std::optional<QMap<QString, QString>> localizedTitles;
    // The user's own upload: "uploading", "pending", "approved" or "rejected".
    std::optional<QString> submissionStatus;
    std::optional<QString> serverWallpaperId; // the service's id of the user's own upload

    bool operator==(const WallpaperFields& other) const;
};

// One wallpaper, from the catalogue or the local library, passed by value.
// Identity is the id alone: two records with the same id are equal whatever
// else they hold.
//
// A record is its id and a pointer to fields shared between its copies, so
// the lists of tens of thousands of records that the library copies, splits
// and merges cost a few bytes a record. Reads never copy; edit() makes the
// fields this record's own before it hands them out for writing. What the
// accessors return lives as long as the record it was read from: hold the
// record, not only the reference, when it is a temporary.
struct Wallpaper
{
    Q_GADGET
    QML_VALUE_TYPE(wallpaper)
    // What the screens read of a record; absent optional texts read as empty.
    Q_PROPERTY(QString id READ idText CONSTANT)
    Q_PROPERTY(bool isValid READ isValid CONSTANT)
    Q_PROPERTY(QString hexID READ hexID CONSTANT)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString displayTitle READ displayTitle CONSTANT)
    Q_PROPERTY(Creator creator READ creator CONSTANT)
    Q_PROPERTY(QString categoryName READ categoryName CONSTANT)
    Q_PROPERTY(QStringList tags READ tags CONSTANT)
    Q_PROPERTY(QVariantList previewColors READ previewColorList CONSTANT)
    Q_PROPERTY(QSizeF resolution READ resolution CONSTANT)
    Q_PROPERTY(QString resolutionText READ resolutionText CONSTANT)
    Q_PROPERTY(qint64 fileSize READ fileSize CONSTANT)
    Q_PROPERTY(bool isFeatured READ isFeatured CONSTANT)
    Q_PROPERTY(bool isNew READ isNew CONSTANT)
    Q_PROPERTY(qint64 downloadCount READ downloadCount CONSTANT)
    Q_PROPERTY(qint64 favoriteCount READ favoriteCount CONSTANT)
    Q_PROPERTY(QDateTime dateAdded READ dateAdded CONSTANT)
    Q_PROPERTY(QString type READ typeName CONSTANT)
    Q_PROPERTY(bool isVideo READ isVideo CONSTANT)
    Q_PROPERTY(QString cloudID READ cloudIDText CONSTANT)
    Q_PROPERTY(QString remoteThumbnailURL READ remoteThumbnailText CONSTANT)
    Q_PROPERTY(QString remotePosterURL READ remotePosterText CONSTANT)
    Q_PROPERTY(QString remoteContentURL READ remoteContentText CONSTANT)
    Q_PROPERTY(QString remotePreviewClipURL READ remotePreviewClipText CONSTANT)
    Q_PROPERTY(QString submissionStatus READ submissionStatusText CONSTANT)
    Q_PROPERTY(QString serverWallpaperId READ serverWallpaperIdText CONSTANT)

public:
    Wallpaper();

    QUuid id; // uuidFromHexID(hexID) for items with a hex id; held inline for lookups

    const QString& hexID() const { return d->hexID; }
    const QString& title() const { return d->title; }
    const Creator& creator() const { return d->creator; }
    WallpaperCategory category() const { return d->category; }
    const QStringList& tags() const { return d->tags; }
    const QList<QColor>& previewColors() const { return d->previewColors; }
    QSizeF resolution() const { return d->resolution; }
    qint64 fileSize() const { return d->fileSize; }
    bool isFeatured() const { return d->isFeatured; }
    bool isNew() const { return d->isNew; }
    qint64 downloadCount() const { return d->downloadCount; }
    qint64 favoriteCount() const { return d->favoriteCount; }
    const QDateTime& dateAdded() const { return d->dateAdded; }
    WallpaperType wallpaperType() const { return d->wallpaperType; }
    const std::optional<QString>& cloudID() const { return d->cloudID; }
    const std::optional<QString>& remoteThumbnailURL() const { return d->remoteThumbnailURL; }
    const std::optional<QString>& remotePosterURL() const { return d->remotePosterURL; }
    const std::optional<QString>& remoteContentURL() const { return d->remoteContentURL; }
    const std::optional<QString>& remotePreviewClipURL() const { return d->remotePreviewClipURL; }
    const std::optional<QMap<QString, QString>>& localizedTitles() const { return d->localizedTitles; }
    const std::optional<QString>& submissionStatus() const { return d->submissionStatus; }
    const std::optional<QString>& serverWallpaperId() const { return d->serverWallpaperId; }

    // The fields for writing, this record's own: copies made earlier keep what they held.
    WallpaperFields& edit() { return *d; }

    // A catalogue item as the service describes it; never fails.
    static Wallpaper fromAPIWallpaper(const APIWallpaper& record);

    // Width and height as whole numbers, e.g. "3840x2160".
    QString resolutionText() const;
    // A pixel size truncated toward zero; sizes that are not finite or do not
    // fit read as 0 rather than overflowing.
    static qint64 wholePixels(double value);

    // The title in the locale's language: by language with region, language
    // with script, language alone, then English; the plain title otherwise.
    // Only the parts the locale names are tried.
    QString localizedTitle(const LocaleName& locale) const;

    // The record as QML sees it.
    bool isValid() const { return !id.isNull(); }
    QString idText() const { return id.toString(QUuid::WithoutBraces); }
    QString displayTitle() const { return localizedTitle(LocaleName::chosen()); }
    QString categoryName() const { return rawValue(d->category); }
    QVariantList previewColorList() const;
    QString typeName() const;
    bool isVideo() const { return d->wallpaperType == WallpaperType::video; }
    QString cloudIDText() const { return d->cloudID.value_or(QString()); }
    QString remoteThumbnailText() const { return d->remoteThumbnailURL.value_or(QString()); }
    QString remotePosterText() const { return d->remotePosterURL.value_or(QString()); }
    QString remoteContentText() const { return d->remoteContentURL.value_or(QString()); }
    QString remotePreviewClipText() const { return d->remotePreviewClipURL.value_or(QString()); }
    QString submissionStatusText() const { return d->submissionStatus.value_or(QString()); }
    QString serverWallpaperIdText() const { return d->serverWallpaperId.value_or(QString()); }

    friend bool operator==(const Wallpaper& a, const Wallpaper& b) noexcept { return a.id == b.id; }
    // Every field equal, not only the id.
    bool sameContent(const Wallpaper& other) const;

private:
    explicit Wallpaper(QSharedDataPointer<WallpaperFields> fields) : d(std::move(fields)) {}

    QSharedDataPointer<WallpaperFields> d; // never null
};

Q_DECLARE_TYPEINFO(Wallpaper, Q_RELOCATABLE_TYPE);

// QML writes a property of this type, and tells its bindings, only when the
// meta-type finds the new value different. With the record's own equality (the
// id alone) a card on screen would keep its record's old status and title for
// good; the meta-type compares every field instead.
template <>
struct QtPrivate::QEqualityOperatorForType<Wallpaper, true>
{
    static bool equals(const QtPrivate::QMetaTypeInterface*, const void* a, const void* b)
    {
        return static_cast<const Wallpaper*>(a)->sameContent(*static_cast<const Wallpaper*>(b));
    }
};

inline size_t qHash(const Wallpaper& wallpaper, size_t seed = 0) noexcept
{
    return qHash(wallpaper.id, seed);
}
