#pragma once

#include "APIWallpaper.h"

#include <QList>
#include <QString>

// Catalogue records that reach every corner of the cache file's JSON: each
// optional field present and absent, texts that need escaping, text outside
// ASCII and numbers past 32 bits. The checked-in file
// tests/library/fixtures/wallpaper-cache-v1.json holds exactly these, as the first cache
// writer wrote them.
inline QList<APIWallpaper> catalogueSamples()
{
    APIWallpaper full;
    full.id = QStringLiteral("65f1c0de0123456789abcdef");
    full.title = QStringLiteral("Aurora \u00fcber \u6771\u4eac \U0001F30C \"quoted\" back\\slash /slash\n\t\r\b\f\u0001\u001f\u007f end");
    full.type = QStringLiteral("video");
    full.resolutionWidth = 7680;
    full.resolutionHeight = 4320;
    full.fileSize = 5'000'000'000;
    full.thumbnailPath = QStringLiteral("https://cdn.example.com/thumbnails/65f1c0de.jpg?size=small&v=2");
    full.contentPath = QStringLiteral("https://cdn.example.com/content/65f1c0de.mov");
    full.previewColors = QStringList{QStringLiteral("#6644CC"), QStringLiteral("4466cc"), QStringLiteral("#112233")};
    full.downloadCount = 9'007'199'254'740'993; // not a double
    full.favoriteCount = -3;
    full.applyCount = 0;
    full.createdAt = QStringLiteral("2026-03-01T12:00:00.000Z");
    full.updatedAt = QStringLiteral("2026-03-02T08:30:15.250Z");
    full.profile.id = QStringLiteral("0123456789abcdef01234567");
    full.profile.name = QStringLiteral("Cr\u00e9ateur \u00e9toil\u00e9");
    full.profile.avatarUrl = QStringLiteral("https://cdn.example.com/avatars/1.png");
    full.profile.isVerified = true;
    full.category.id = QStringLiteral("cat-space");
    full.category.name = QStringLiteral("Space");
    full.category.icon = QStringLiteral("sparkles");
    full.category.sortOrder = 7;
    full.category.createdAt = QStringLiteral("2025-01-01T00:00:00Z");
    full.posterPath = QStringLiteral("https://cdn.example.com/posters/65f1c0de.png");
    full.previewClipPath = QStringLiteral("https://cdn.example.com/previews/65f1c0de.mov");
    full.tags = QStringList{QStringLiteral("space"), QStringLiteral("aurora"), QStringLiteral("\u5b87\u5b99")};
    full.trendCount = 42;
    full.localizedTitles = QMap<QString, QString>{{QStringLiteral("de"), QStringLiteral("Polarlicht")},
                                                  {QStringLiteral("zh-Hans"), QStringLiteral("\u6781\u5149")},
                                                  {QStringLiteral("en"), QStringLiteral("Aurora")}};
    full.status = QStringLiteral("approved");

    APIWallpaper bare;
    bare.id = QStringLiteral("a1b2c3d");
    bare.title = QStringLiteral("Plain");
    bare.type = QStringLiteral("image");
    bare.resolutionWidth = 1920;
    bare.resolutionHeight = 1080;
    bare.fileSize = 1234;
    bare.thumbnailPath = QStringLiteral("t");
    bare.contentPath = QStringLiteral("c");
    bare.createdAt = QStringLiteral("2026-01-01");
    bare.updatedAt = QStringLiteral("2026-01-01");
    bare.profile.id = QStringLiteral("p");
    bare.category.id = QStringLiteral("cat-nature");
    bare.category.name = QStringLiteral("Nature");
    bare.category.icon = QStringLiteral("leaf");

    APIWallpaper empty = bare;
    empty.id = QStringLiteral("ffffffffffffffffffffffff");
    empty.title = QString();
    empty.type = QString();
    empty.resolutionWidth = -1;
    empty.resolutionHeight = 0;
    empty.fileSize = -9'223'372'036'854'775'807 - 1;
    empty.previewColors = QStringList{};
    empty.localizedTitles = QMap<QString, QString>{};
    empty.tags = QStringList{QString()};
    empty.profile.name = QString();
    empty.trendCount = 9'223'372'036'854'775'807;
    empty.status = QString();

    return {full, bare, empty};
}
