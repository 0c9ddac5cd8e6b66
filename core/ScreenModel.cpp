#include "ScreenModel.h"

#include "DesktopPicture.h"
#include "LantoSettings.h"
#include "Log.h"
#include "UuidText.h"

#include <cmath>
#include <limits>

namespace {

const QString className = QStringLiteral("ScreenModel");

namespace Key {
const QString serialNumber = QStringLiteral("serialNumber");
const QString screenName = QStringLiteral("screenName");
const QString isShowingWallpaper = QStringLiteral("isShowingWallpaper");
const QString wallpaperID = QStringLiteral("wallpaperID");
const QString wallpaperImageURL = QStringLiteral("wallpaperImageURL");
const QString videoURL = QStringLiteral("videoURL");
const QString playbackPosition = QStringLiteral("playbackPosition");
const QString playbackPositionDate = QStringLiteral("playbackPositionDate");
const QString systemWallpaperURL = QStringLiteral("systemWallpaperURL");
} // namespace Key

void encodeUrl(KeyedEncoder& encoder, const QString& key, const std::optional<QUrl>& url)
{
    if (url)
        encoder.encodeUrl(key, *url);
}

} // namespace

ScreenModel::ScreenModel(quint32 serialNumber, QString screenName)
    : screenName(std::move(screenName)), m_serialNumber(serialNumber)
{
}

ScreenModel::ScreenModel(const ConnectedDisplay& display, const DesktopPicture& desktopPicture)
    : ScreenModel(serialNumber(display), display.localizedName)
{
    systemWallpaperURL = desktopPicture.desktopImageUrl(display);
}

QString ScreenModel::archiveClassName() const
{
    return className;
}

void ScreenModel::encode(KeyedEncoder& encoder) const
{
    encoder.encodeInt64(Key::serialNumber, qint64(m_serialNumber));
    encoder.encodeString(Key::screenName, screenName);
    encoder.encodeBool(Key::isShowingWallpaper, isShowingWallpaper);
    if (wallpaperID)
        encoder.encodeString(Key::wallpaperID, uuidText(*wallpaperID));
    encodeUrl(encoder, Key::wallpaperImageURL, wallpaperImageURL);
    encodeUrl(encoder, Key::videoURL, videoURL);
    encoder.encodeDouble(Key::playbackPosition, playbackPosition);
    // Seconds since 1970, as a double: older readers pass over the key.
    if (playbackPositionDate)
        encoder.encodeDouble(Key::playbackPositionDate, double(playbackPositionDate->toMSecsSinceEpoch()) / 1000);
    encodeUrl(encoder, Key::systemWallpaperURL, systemWallpaperURL);
}

std::optional<ScreenModel> ScreenModel::decode(const ArchivedObject& object)
{
    if (object.kind() != ArchivedObject::Kind::Instance || object.className() != className)
        return std::nullopt;
    // A number that does not fit cannot name a display: the record is refused, the others are kept.
    const qint64 serial = object.int64(Key::serialNumber).value_or(0);
    if (serial < 0 || serial > qint64(std::numeric_limits<quint32>::max()))
        return std::nullopt;

    ScreenModel model(quint32(serial), object.string(Key::screenName).value_or(QStringLiteral("Unknown")));
    model.isConnection = false;
    model.isShowingWallpaper = object.boolean(Key::isShowingWallpaper).value_or(false);
    if (const auto text = object.string(Key::wallpaperID))
        model.wallpaperID = uuidFromText(*text);
    model.wallpaperImageURL = object.url(Key::wallpaperImageURL);
    model.videoURL = object.url(Key::videoURL);
    model.playbackPosition = object.real(Key::playbackPosition).value_or(0);
    if (const auto seconds = object.real(Key::playbackPositionDate); seconds && std::isfinite(*seconds)
        && std::abs(*seconds) < 1e11)
        model.playbackPositionDate = QDateTime::fromMSecsSinceEpoch(std::llround(*seconds * 1000), Qt::UTC);
    model.systemWallpaperURL = object.url(Key::systemWallpaperURL);
    return model;
}

ScreenModelMap ScreenModel::loadAll(LantoSettings& settings)
{
    ScreenModelMap models;
    const std::optional<QByteArray> archive = settings.data(SettingsKey::screenModels);
    if (!archive)
        return models;

    static const QSet<QString> allowedClasses{KeyedArchive::arrayClass, KeyedArchive::mutableArrayClass, className,
                                              KeyedArchive::urlClass, KeyedArchive::stringClass,
                                              KeyedArchive::mutableStringClass};
    const auto result = KeyedArchive::unarchive(*archive, allowedClasses);
    if (const auto* error = std::get_if<QString>(&result)) {
        Log::write(QStringLiteral("Lanto: Failed to unarchive screen models: ") + *error);
        return models;
    }
    const auto records = std::get<ArchivedObject>(result).toArray();
    if (!records)
        return models;
    for (const ArchivedObject& record : *records) {
        if (record.kind() != ArchivedObject::Kind::Instance || record.className() != className)
            return {}; // not an array of screen models
        // A later record with the same id replaces an earlier one.
        if (auto model = decode(record))
            models.insert(model->id(), std::move(*model));
    }
    return models;
}

ScreenModelMap ScreenModel::loadAll()
{
    return loadAll(LantoSettings::shared());
}

void ScreenModel::saveAll(const ScreenModelMap& models, LantoSettings& settings)
{
    QList<const KeyedCodable*> objects;
    objects.reserve(models.size());
    for (const ScreenModel& model : models)
        objects.append(&model);
    const auto result = KeyedArchive::archiveArray(objects);
    if (const auto* error = std::get_if<QString>(&result)) {
        Log::write(QStringLiteral("Lanto: Failed to archive screen models: ") + *error);
        return;
    }
    settings.set(SettingsKey::screenModels, std::get<QByteArray>(result));
}

void ScreenModel::saveAll(const ScreenModelMap& models)
{
    saveAll(models, LantoSettings::shared());
}

bool ScreenModel::operator==(const ScreenModel& other) const
{
    return m_serialNumber == other.m_serialNumber && screenName == other.screenName
        && isConnection == other.isConnection && isShowingWallpaper == other.isShowingWallpaper
        && wallpaperID == other.wallpaperID && wallpaperImageURL == other.wallpaperImageURL
        && videoURL == other.videoURL && playbackPosition == other.playbackPosition
        && playbackPositionDate == other.playbackPositionDate
        && systemWallpaperURL == other.systemWallpaperURL;
}
