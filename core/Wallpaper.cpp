#include "Wallpaper.h"

#include "APIWallpaper.h"
#include "HexID.h"
#include "SystemColor.h"

#include <cmath>
#include <limits>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

// The first category whose display name matches ignoring case; names outside
// the twelve (and case names such as "tvShows") fall back to digital art.
WallpaperCategory categoryNamed(const QString& name)
{
    // ASCII compares the same ignoring case as lowered: no texts made per record.
    if (QtPrivate::isAscii(QStringView(name))) {
        static const QList<std::pair<WallpaperCategory, QString>> names = [] {
            QList<std::pair<WallpaperCategory, QString>> all;
            for (WallpaperCategory category : WallpaperCategories::allCases())
                all.append({category, rawValue(category)});
            return all;
        }();
        for (const auto& [category, displayName] : names) {
            if (QString::compare(displayName, name, Qt::CaseInsensitive) == 0)
                return category;
        }
        return WallpaperCategory::digitalArt;
    }
    const QString wanted = name.toLower();
    for (WallpaperCategory category : WallpaperCategories::allCases()) {
        if (rawValue(category).toLower() == wanted)
            return category;
    }
    return WallpaperCategory::digitalArt;
}

// Records read from one document share their colour lists, so the list
// converted last on this thread is handed out again for the same texts.
QList<QColor> previewColorsOf(const QStringList& hexes)
{
    thread_local QStringList lastHexes;
    thread_local QList<QColor> lastColors;
    if (hexes.isEmpty())
        return {};
    if (hexes.constData() != lastHexes.constData() || hexes.size() != lastHexes.size()) {
        QList<QColor> colors;
        colors.reserve(hexes.size());
        for (const QString& hex : hexes)
            colors.append(colorFromHex(hex));
        lastHexes = hexes;
        lastColors = std::move(colors);
    }
    return lastColors;
}

Creator creatorOf(const APIProfile& profile)
{
    Creator creator;
    creator.id = uuidFromHexID(profile.id);
    creator.name = profile.name.value_or(u"Unknown"_s);
    creator.avatarColor = systemColor(SystemColor::purple);
    creator.avatarUrl = profile.avatarUrl;
    creator.isVerified = profile.isVerified;
    creator.serverProfileId = profile.id;
    return creator;
}

// Every record made without fields starts from these, so a default record costs no allocation.
const QSharedDataPointer<WallpaperFields>& emptyFields()
{
    static const QSharedDataPointer<WallpaperFields> empty(new WallpaperFields);
    return empty;
}

} // namespace

Wallpaper::Wallpaper() : d(emptyFields()) {}

Wallpaper Wallpaper::fromAPIWallpaper(const APIWallpaper& record)
{
    QSharedDataPointer<WallpaperFields> fields(new WallpaperFields);
    WallpaperFields& f = *fields;
    f.hexID = record.id;
    f.title = record.title;
    f.creator = creatorOf(record.profile);
    f.category = categoryNamed(record.category.name);
    f.tags = record.tags;
    f.previewColors = previewColorsOf(record.previewColors.value_or(QStringList()));
    f.resolution = QSizeF(double(record.resolutionWidth), double(record.resolutionHeight));
    f.fileSize = record.fileSize;
    f.isFeatured = false;
    f.isNew = true;
    f.downloadCount = record.downloadCount;
    f.favoriteCount = record.favoriteCount;
    f.dateAdded = QDateTime::currentDateTimeUtc();
    f.wallpaperType = record.type == "video"_L1 ? WallpaperType::video : WallpaperType::image;
    f.cloudID = record.id;
    f.remoteThumbnailURL = record.thumbnailPath;
    f.remotePosterURL = record.posterPath;
    f.remoteContentURL = record.contentPath;
    f.remotePreviewClipURL = record.previewClipPath;
    f.localizedTitles = record.localizedTitles;
    Wallpaper w(std::move(fields));
    w.id = uuidFromHexID(record.id);
    return w;
}

qint64 Wallpaper::wholePixels(double value)
{
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (!std::isfinite(value) || value >= limit || value < -limit)
        return 0;
    return static_cast<qint64>(value);
}

QString Wallpaper::resolutionText() const
{
    return QString::number(wholePixels(d->resolution.width())) + u'x' + QString::number(wholePixels(d->resolution.height()));
}

bool WallpaperFields::operator==(const WallpaperFields& other) const
{
    const auto fields = [](const WallpaperFields& w) {
        return std::tie(w.hexID, w.title, w.creator, w.category, w.tags, w.previewColors, w.resolution, w.fileSize,
            w.isFeatured, w.isNew, w.downloadCount, w.favoriteCount, w.dateAdded, w.wallpaperType, w.cloudID,
            w.remoteThumbnailURL, w.remotePosterURL, w.remoteContentURL, w.remotePreviewClipURL, w.localizedTitles,
            w.submissionStatus, w.serverWallpaperId);
    };
    return fields(*this) == fields(other);
}

bool Wallpaper::sameContent(const Wallpaper& other) const
{
    return id == other.id && (d == other.d || *d == *other.d);
}

QString Wallpaper::localizedTitle(const LocaleName& locale) const
{
    const std::optional<QMap<QString, QString>>& titles = d->localizedTitles;
    if (!titles)
        return d->title;

    const QString language = locale.language.isEmpty() ? u"en"_s : locale.language;
    QStringList keys;
    if (!locale.region.isEmpty())
        keys.append(language + u'-' + locale.region);
    if (!locale.script.isEmpty())
        keys.append(language + u'-' + locale.script);
    keys.append(language);
    keys.append(u"en"_s);

    for (const QString& key : keys) {
        const auto found = titles->constFind(key);
        if (found != titles->constEnd())
            return *found;
    }
    return d->title;
}

QVariantList Wallpaper::previewColorList() const
{
    QVariantList colors;
    colors.reserve(d->previewColors.size());
    for (const QColor& color : d->previewColors)
        colors.append(color);
    return colors;
}

QString Wallpaper::typeName() const
{
    switch (d->wallpaperType) {
    case WallpaperType::image:
        return u"image"_s;
    case WallpaperType::video:
        return u"video"_s;
    case WallpaperType::gradient:
        return u"gradient"_s;
    }
    return u"image"_s;
}
