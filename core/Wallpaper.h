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
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>

struct APIWallpaper;

// One wallpaper, from the catalogue or the local library, passed by value.
// Identity is the id alone: two records with the same id are equal whatever
// else they hold.
struct Wallpaper
{
    Q_GADGET
    QML_VALUE_TYPE(wallpaper)
    // What the screens read of a record; absent optional texts read as empty.
    Q_PROPERTY(QString id READ idText CONSTANT)
    Q_PROPERTY(bool isValid READ isValid CONSTANT)
    Q_PROPERTY(QString hexID MEMBER hexID CONSTANT)
    Q_PROPERTY(QString title MEMBER title CONSTANT)
    Q_PROPERTY(QString displayTitle READ displayTitle CONSTANT)
    Q_PROPERTY(Creator creator MEMBER creator CONSTANT)
    Q_PROPERTY(QString categoryName READ categoryName CONSTANT)
    Q_PROPERTY(QStringList tags MEMBER tags CONSTANT)
    Q_PROPERTY(QVariantList previewColors READ previewColorList CONSTANT)
    Q_PROPERTY(QSizeF resolution MEMBER resolution CONSTANT)
    Q_PROPERTY(QString resolutionText READ resolutionText CONSTANT)
    Q_PROPERTY(qint64 fileSize MEMBER fileSize CONSTANT)
    Q_PROPERTY(bool isFeatured MEMBER isFeatured CONSTANT)
    Q_PROPERTY(bool isNew MEMBER isNew CONSTANT)
    Q_PROPERTY(qint64 downloadCount MEMBER downloadCount CONSTANT)
    Q_PROPERTY(qint64 favoriteCount MEMBER favoriteCount CONSTANT)
    Q_PROPERTY(QDateTime dateAdded MEMBER dateAdded CONSTANT)
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
    QUuid id; // uuidFromHexID(hexID) for items with a hex id
    QString hexID; // also the name of the item's folder under the downloads folder
    QString title;
    Creator creator;
    WallpaperCategory category = WallpaperCategory::digitalArt;
    QStringList tags; // ids of the service's tag catalogue
    QList<QColor> previewColors; // dominant colours, in the service's order
    QSizeF resolution; // pixels
    qint64 fileSize = 0; // bytes
    bool isFeatured = false;
    bool isNew = false;
    qint64 downloadCount = 0;
    qint64 favoriteCount = 0;
    QDateTime dateAdded;
    WallpaperType wallpaperType = WallpaperType::image;
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
    QString categoryName() const { return rawValue(category); }
    QVariantList previewColorList() const;
    QString typeName() const;
    bool isVideo() const { return wallpaperType == WallpaperType::video; }
    QString cloudIDText() const { return cloudID.value_or(QString()); }
    QString remoteThumbnailText() const { return remoteThumbnailURL.value_or(QString()); }
    QString remotePosterText() const { return remotePosterURL.value_or(QString()); }
    QString remoteContentText() const { return remoteContentURL.value_or(QString()); }
    QString remotePreviewClipText() const { return remotePreviewClipURL.value_or(QString()); }
    QString submissionStatusText() const { return submissionStatus.value_or(QString()); }
    QString serverWallpaperIdText() const { return serverWallpaperId.value_or(QString()); }

    friend bool operator==(const Wallpaper& a, const Wallpaper& b) noexcept { return a.id == b.id; }
    // Every field equal, not only the id.
    bool sameContent(const Wallpaper& other) const;
};

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
