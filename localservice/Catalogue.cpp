#include "Catalogue.h"

#include "Accounts.h"
#include "ServiceStore.h"
#include "WallpaperCategory.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString columns = u"w.id, w.title, w.type, w.category, w.width, w.height, w.file_size, w.tags, "
                        "w.preview_colors, w.download_count, w.favorite_count, w.apply_count, w.trend_count, "
                        "w.status, w.media_id, w.created_at, w.updated_at, w.owner_id, "
                        "u.name, u.avatar_url, u.is_verified"_s;

QString jsonList(const QStringList& texts)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact));
}

QStringList listFrom(const QVariant& json)
{
    QStringList texts;
    for (const QJsonValue& value : QJsonDocument::fromJson(json.toString().toUtf8()).array())
        texts.append(value.toString());
    return texts;
}

// The files of one media folder, slot to file name.
QMap<QString, QString> mediaFiles(const ServiceStore& store, const QString& mediaId)
{
    QMap<QString, QString> files;
    QSqlQuery rows = store.query(u"SELECT slot, file_name FROM media_files WHERE media_id = ?"_s, { mediaId });
    if (rows.exec()) {
        while (rows.next())
            files.insert(rows.value(0).toString(), rows.value(1).toString());
    }
    return files;
}

} // namespace

std::optional<APICategory> Catalogue::category(const QString& key)
{
    const QList<WallpaperCategory>& all = WallpaperCategories::allCases();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (serviceKey(all[i]) == key)
            return APICategory { key, rawValue(all[i]), icon(all[i]), qint64(i), std::nullopt };
    }
    return std::nullopt;
}

bool Catalogue::add(const WallpaperEntry& e)
{
    const QString created = e.createdAt.isEmpty() ? ServiceStore::now() : e.createdAt;
    return m_store.transaction([&] {
        return m_store.run(u"INSERT INTO wallpapers (id, owner_id, title, type, category, width, height, file_size, "
                           "tags, preview_colors, download_count, favorite_count, apply_count, trend_count, status, "
                           "media_id, featured, pick, free, created_at, updated_at) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
            { e.id, e.ownerId, e.title, e.type, e.category, e.width, e.height, e.fileSize, jsonList(e.tags),
                e.previewColors ? QVariant(jsonList(*e.previewColors)) : QVariant(), e.downloadCount,
                e.favoriteCount, e.applyCount, e.trendCount, e.status, e.mediaId, e.featured, e.pick, e.free, created,
                created });
    });
}

bool Catalogue::addTag(const APITag& tag)
{
    return m_store.transaction([&] {
        return m_store.run(u"INSERT OR REPLACE INTO tags (id, name, group_name, sort_order, parent_id) "
                           "VALUES (?, ?, ?, ?, ?)"_s,
            { tag.id, tag.name, tag.groupName, tag.sortOrder,
                tag.parentId ? QVariant(*tag.parentId) : QVariant() });
    });
}

qint64 Catalogue::wallpaperCount() const
{
    return m_store.value(u"SELECT COUNT(*) FROM wallpapers"_s).value_or(0).toLongLong();
}

QList<APIWallpaper> Catalogue::select(const QString& where, std::initializer_list<QVariant> values,
    const QString& origin, const QString& order, int limit, int offset) const
{
    QSqlQuery rows = m_store.query(u"SELECT "_s + columns + u" FROM wallpapers w JOIN users u ON u.id = w.owner_id WHERE "_s
            + where + u" ORDER BY "_s + order + u" LIMIT "_s + QString::number(limit) + u" OFFSET "_s
            + QString::number(offset),
        values);
    QList<APIWallpaper> wallpapers;
    if (!rows.exec())
        return wallpapers;
    while (rows.next()) {
        APIWallpaper w;
        w.id = rows.value(0).toString();
        w.title = rows.value(1).toString();
        w.type = rows.value(2).toString();
        w.category = category(rows.value(3).toString()).value_or(APICategory { rows.value(3).toString(),
            rows.value(3).toString(), u"square.grid.2x2"_s, std::nullopt, std::nullopt });
        w.resolutionWidth = rows.value(4).toLongLong();
        w.resolutionHeight = rows.value(5).toLongLong();
        w.fileSize = rows.value(6).toLongLong();
        w.tags = listFrom(rows.value(7));
        if (!rows.value(8).isNull())
            w.previewColors = listFrom(rows.value(8));
        w.downloadCount = rows.value(9).toLongLong();
        w.favoriteCount = rows.value(10).toLongLong();
        w.applyCount = rows.value(11).toLongLong();
        w.trendCount = rows.value(12).toLongLong();
        w.status = rows.value(13).toString();
        const QString mediaId = rows.value(14).toString();
        w.createdAt = rows.value(15).toString();
        w.updatedAt = rows.value(16).toString();
        w.profile.id = rows.value(17).toString();
        w.profile.name = rows.value(18).toString();
        if (!rows.value(19).isNull())
            w.profile.avatarUrl = addressBelow(origin, rows.value(19).toString());
        w.profile.isVerified = rows.value(20).toBool();

        const QMap<QString, QString> files = mediaFiles(m_store, mediaId);
        const QString folder = origin + u"/files/"_s + mediaId + u'/';
        w.contentPath = files.contains(u"content"_s) ? folder + files[u"content"_s] : QString();
        w.thumbnailPath = files.contains(u"thumbnail"_s) ? folder + files[u"thumbnail"_s] : QString();
        if (files.contains(u"poster"_s))
            w.posterPath = folder + files[u"poster"_s];
        if (files.contains(u"preview"_s))
            w.previewClipPath = folder + files[u"preview"_s];
        wallpapers.append(std::move(w));
    }
    return wallpapers;
}

DiscoverResponse Catalogue::discover(const QString& origin) const
{
    const QString weekAgo = QDateTime::currentDateTimeUtc().addDays(-7).toString(Qt::ISODateWithMs);
    DiscoverResponse rows;
    rows.featured = select(u"w.status = 'approved' AND w.featured = 1"_s, {}, origin, u"w.created_at DESC"_s, 8);
    rows.todaysPicks = select(u"w.status = 'approved' AND w.pick = 1"_s, {}, origin, u"w.created_at DESC"_s, 12);
    rows.trending = select(u"w.status = 'approved'"_s, {}, origin, u"w.trend_count DESC, w.id"_s, 12);
    rows.newThisWeek = select(u"w.status = 'approved' AND w.created_at >= ?"_s, { weekAgo }, origin,
        u"w.created_at DESC, w.id"_s, 12);
    rows.free = select(u"w.status = 'approved' AND w.free = 1"_s, {}, origin, u"w.created_at DESC"_s, 12);
    return rows;
}

QMap<QString, QList<APITag>> Catalogue::tags() const
{
    QMap<QString, QList<APITag>> groups;
    QSqlQuery rows = m_store.query(
        u"SELECT id, name, group_name, sort_order, parent_id FROM tags ORDER BY group_name, sort_order, id"_s);
    if (!rows.exec())
        return groups;
    while (rows.next()) {
        APITag tag { rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString(),
            rows.value(3).toLongLong(),
            rows.value(4).isNull() ? std::nullopt : std::optional<QString>(rows.value(4).toString()) };
        groups[tag.groupName].append(std::move(tag));
    }
    return groups;
}

QList<APIWallpaper> Catalogue::categoryPage(const QString& key, qint64 page, const QString& origin) const
{
    return select(u"w.status = 'approved' AND w.category = ?"_s, { key }, origin, u"w.created_at DESC, w.id"_s,
        pageSize, int((page - 1) * pageSize));
}

QList<APIWallpaper> Catalogue::creatorPage(const QString& profileId, qint64 page, const QString& origin) const
{
    return select(u"w.status = 'approved' AND w.owner_id = ?"_s, { profileId }, origin, u"w.created_at DESC, w.id"_s,
        pageSize, int((page - 1) * pageSize));
}

std::optional<APIWallpaper> Catalogue::publicWallpaper(const QString& id, const QString& origin) const
{
    const QList<APIWallpaper> found = select(u"w.status = 'approved' AND w.id = ?"_s, { id }, origin);
    return found.isEmpty() ? std::nullopt : std::optional<APIWallpaper>(found.first());
}

QList<APIWallpaper> Catalogue::ownedBy(const QString& userId, const QString& origin) const
{
    return select(u"w.owner_id = ?"_s, { userId }, origin);
}

std::optional<Catalogue::Event> Catalogue::eventNamed(const QString& name)
{
    if (name == "download"_L1)
        return Event::download;
    if (name == "favorite"_L1)
        return Event::favorite;
    if (name == "apply"_L1)
        return Event::apply;
    if (name == "remove"_L1)
        return Event::remove;
    return std::nullopt;
}

Catalogue::Outcome Catalogue::record(Event event, const QString& id)
{
    QString counter;
    if (event == Event::download)
        counter = u", download_count = download_count + 1"_s;
    else if (event == Event::apply)
        counter = u", apply_count = apply_count + 1"_s;
    Outcome outcome = Outcome::storeFailed;
    const bool stored = m_store.transaction([&] {
        const std::optional<int> changed = m_store.change(
            u"UPDATE wallpapers SET trend_count = trend_count + 1"_s + counter + u" WHERE id = ? AND status = 'approved'"_s,
            { id });
        if (changed == 0)
            outcome = Outcome::notFound;
        return changed.value_or(0) > 0;
    });
    return stored ? Outcome::done : outcome;
}

Catalogue::Outcome Catalogue::setFavorite(const QString& userId, const QString& id, bool favorite)
{
    Outcome outcome = Outcome::storeFailed;
    const bool stored = m_store.transaction([&] {
        if (!m_store.value(u"SELECT 1 FROM wallpapers WHERE id = ? AND status = 'approved'"_s, { id })) {
            outcome = Outcome::notFound;
            return false;
        }
        const std::optional<int> changed = favorite
            ? m_store.change(u"INSERT OR IGNORE INTO favorites (user_id, wallpaper_id) VALUES (?, ?)"_s, { userId, id })
            : m_store.change(u"DELETE FROM favorites WHERE user_id = ? AND wallpaper_id = ?"_s, { userId, id });
        if (!changed)
            return false;
        if (*changed == 0)
            return true;
        return m_store.run(favorite ? u"UPDATE wallpapers SET favorite_count = favorite_count + 1 WHERE id = ?"_s
                                    : u"UPDATE wallpapers SET favorite_count = MAX(favorite_count - 1, 0) WHERE id = ?"_s,
            { id });
    });
    return stored ? Outcome::done : outcome;
}
