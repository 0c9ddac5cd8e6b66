#include "LocalWallpaperMeta.h"

#include "JsonFields.h"
#include "Wallpaper.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

// Writes an object's keys in the order they are added; QJsonObject would sort them.
class OrderedJsonWriter
{
public:
    template <typename T>
    void set(QLatin1StringView key, const T& value)
    {
        m_json += m_json.isEmpty() ? '{' : ',';
        m_json += encoded(QJsonValue(key)) + ':' + encoded(JsonFields::write(value));
    }

    template <typename T>
    void set(QLatin1StringView key, const std::optional<T>& value)
    {
        if (value)
            set(key, *value);
    }

    QByteArray finish() const { return m_json.isEmpty() ? QByteArray("{}") : m_json + '}'; }

private:
    static QByteArray encoded(const QJsonValue& value)
    {
        const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return wrapped.sliced(1, wrapped.size() - 2);
    }

    QByteArray m_json;
};

} // namespace

std::optional<LocalWallpaperMeta> LocalWallpaperMeta::fromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    JsonFields::ObjectReader in(document.object());
    LocalWallpaperMeta meta;
    meta.hexID = in.required<QString>("hexID"_L1);
    meta.title = in.required<QString>("title"_L1);
    meta.category = in.required<QString>("category"_L1);
    meta.type = in.required<QString>("type"_L1);
    meta.resolutionWidth = in.required<qint64>("resolutionWidth"_L1);
    meta.resolutionHeight = in.required<qint64>("resolutionHeight"_L1);
    meta.fileSize = in.required<qint64>("fileSize"_L1);
    meta.localizedTitles = in.optional<QMap<QString, QString>>("localizedTitles"_L1);
    meta.submissionStatus = in.optional<QString>("submissionStatus"_L1);
    in.optional<QString>("submittedAt"_L1);
    meta.serverWallpaperId = in.optional<QString>("serverWallpaperId"_L1);
    if (!in.ok())
        return std::nullopt;
    return meta;
}

QByteArray LocalWallpaperMeta::toJson() const
{
    OrderedJsonWriter out;
    out.set("hexID"_L1, hexID);
    out.set("title"_L1, title);
    out.set("category"_L1, category);
    out.set("type"_L1, type);
    out.set("resolutionWidth"_L1, resolutionWidth);
    out.set("resolutionHeight"_L1, resolutionHeight);
    out.set("fileSize"_L1, fileSize);
    out.set("localizedTitles"_L1, localizedTitles);
    out.set("submissionStatus"_L1, submissionStatus);
    out.set("serverWallpaperId"_L1, serverWallpaperId);
    return out.finish();
}

std::optional<LocalWallpaperMeta> LocalWallpaperMeta::of(const Wallpaper& wallpaper)
{
    if (!wallpaper.cloudID())
        return std::nullopt;
    LocalWallpaperMeta meta;
    meta.hexID = *wallpaper.cloudID();
    meta.title = wallpaper.title();
    meta.category = rawValue(wallpaper.category());
    meta.type = wallpaper.wallpaperType() == WallpaperType::video ? u"video"_s : u"image"_s;
    meta.resolutionWidth = Wallpaper::wholePixels(wallpaper.resolution().width());
    meta.resolutionHeight = Wallpaper::wholePixels(wallpaper.resolution().height());
    meta.fileSize = wallpaper.fileSize();
    meta.localizedTitles = wallpaper.localizedTitles();
    meta.submissionStatus = wallpaper.submissionStatus();
    meta.serverWallpaperId = wallpaper.serverWallpaperId();
    return meta;
}
