#include "APIWallpaper.h"

#include "JsonFields.h"

using namespace Qt::Literals::StringLiterals;
using JsonFields::ObjectReader;
using JsonFields::ObjectWriter;

std::optional<APIProfile> APIProfile::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    APIProfile profile;
    profile.id = in.required<QString>("id"_L1);
    profile.name = in.optional<QString>("name"_L1);
    profile.avatarUrl = in.optional<QString>("avatarUrl"_L1);
    profile.isVerified = in.required<bool>("isVerified"_L1);
    if (!in.ok())
        return std::nullopt;
    return profile;
}

QJsonObject APIProfile::toJson() const
{
    ObjectWriter out;
    out.set("id"_L1, id);
    out.set("name"_L1, name);
    out.set("avatarUrl"_L1, avatarUrl);
    out.set("isVerified"_L1, isVerified);
    return out.object();
}

std::optional<APICategory> APICategory::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    APICategory category;
    category.id = in.required<QString>("id"_L1);
    category.name = in.required<QString>("name"_L1);
    category.icon = in.required<QString>("icon"_L1);
    category.sortOrder = in.optional<qint64>("sortOrder"_L1);
    category.createdAt = in.optional<QString>("createdAt"_L1);
    if (!in.ok())
        return std::nullopt;
    return category;
}

QJsonObject APICategory::toJson() const
{
    ObjectWriter out;
    out.set("id"_L1, id);
    out.set("name"_L1, name);
    out.set("icon"_L1, icon);
    out.set("sortOrder"_L1, sortOrder);
    out.set("createdAt"_L1, createdAt);
    return out.object();
}

std::optional<APIWallpaper> APIWallpaper::fromJson(const QJsonObject& object)
{
    ObjectReader in(object);
    APIWallpaper w;
    w.id = in.required<QString>("id"_L1);
    w.title = in.required<QString>("title"_L1);
    w.type = in.required<QString>("type"_L1);
    w.resolutionWidth = in.required<qint64>("resolutionWidth"_L1);
    w.resolutionHeight = in.required<qint64>("resolutionHeight"_L1);
    w.fileSize = in.required<qint64>("fileSize"_L1);
    w.thumbnailPath = in.required<QString>("thumbnailPath"_L1);
    w.contentPath = in.required<QString>("contentPath"_L1);
    w.previewColors = in.optional<QStringList>("previewColors"_L1);
    w.downloadCount = in.required<qint64>("downloadCount"_L1);
    w.favoriteCount = in.required<qint64>("favoriteCount"_L1);
    w.applyCount = in.required<qint64>("applyCount"_L1);
    w.createdAt = in.required<QString>("createdAt"_L1);
    w.updatedAt = in.required<QString>("updatedAt"_L1);
    w.profile = in.required<APIProfile>("profile"_L1);
    w.category = in.required<APICategory>("category"_L1);
    w.posterPath = in.optional<QString>("posterPath"_L1);
    w.previewClipPath = in.optional<QString>("previewClipPath"_L1);
    w.tags = in.required<QStringList>("tags"_L1);
    w.trendCount = in.optional<qint64>("trendCount"_L1);
    w.localizedTitles = in.optional<QMap<QString, QString>>("localizedTitles"_L1);
    w.status = in.optional<QString>("status"_L1);
    if (!in.ok())
        return std::nullopt;
    return w;
}

QJsonObject APIWallpaper::toJson() const
{
    ObjectWriter out;
    out.set("id"_L1, id);
    out.set("title"_L1, title);
    out.set("type"_L1, type);
    out.set("resolutionWidth"_L1, resolutionWidth);
    out.set("resolutionHeight"_L1, resolutionHeight);
    out.set("fileSize"_L1, fileSize);
    out.set("thumbnailPath"_L1, thumbnailPath);
    out.set("contentPath"_L1, contentPath);
    out.set("previewColors"_L1, previewColors);
    out.set("downloadCount"_L1, downloadCount);
    out.set("favoriteCount"_L1, favoriteCount);
    out.set("applyCount"_L1, applyCount);
    out.set("createdAt"_L1, createdAt);
    out.set("updatedAt"_L1, updatedAt);
    out.set("profile"_L1, profile);
    out.set("category"_L1, category);
    out.set("posterPath"_L1, posterPath);
    out.set("previewClipPath"_L1, previewClipPath);
    out.set("tags"_L1, tags);
    out.set("trendCount"_L1, trendCount);
    out.set("localizedTitles"_L1, localizedTitles);
    out.set("status"_L1, status);
    return out.object();
}
