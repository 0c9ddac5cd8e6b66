#pragma once

#include "APIModels.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

class ServiceStore;

// One wallpaper as the store keeps it, before it becomes a wire record.
struct WallpaperEntry
{
    QString id;
    QString ownerId;
    QString title;
    QString type; // "video" or "image"
    QString category; // the category's service key
    qint64 width = 0;
    qint64 height = 0;
    qint64 fileSize = 0;
    QStringList tags; // tag ids
    std::optional<QStringList> previewColors;
    QString status; // "draft", "pending", "approved" or "rejected"
    QString mediaId; // the folder of its files; records made from one sample share it
    bool featured = false;
    bool pick = false;
    bool free = false;
    qint64 downloadCount = 0;
    qint64 favoriteCount = 0;
    qint64 applyCount = 0;
    qint64 trendCount = 0;
    QString createdAt; // empty: now
};

// The public catalogue over the store: rows, pages, tags, single records, the
// counters of usage events and favourites. Only approved wallpapers are public.
// `origin` is the service's own address, which the file locations start with.
class Catalogue
{
public:
    explicit Catalogue(ServiceStore& store) : m_store(store) { }

    static constexpr int pageSize = 20;

    bool add(const WallpaperEntry& entry);
    bool addTag(const APITag& tag);
    qint64 wallpaperCount() const;

    DiscoverResponse discover(const QString& origin) const;
    QMap<QString, QList<APITag>> tags() const;
    // Page 1 is the first; newest first.
    QList<APIWallpaper> categoryPage(const QString& category, qint64 page, const QString& origin) const;
    QList<APIWallpaper> creatorPage(const QString& profileId, qint64 page, const QString& origin) const;
    std::optional<APIWallpaper> publicWallpaper(const QString& id, const QString& origin) const;
    // The owner's submissions in every state, newest first.
    QList<APIWallpaper> ownedBy(const QString& userId, const QString& origin) const;

    enum class Event { download, favorite, apply, remove };
    static std::optional<Event> eventNamed(const QString& name);
    enum class Outcome { done, notFound, storeFailed };
    // Counts the event for a public wallpaper.
    Outcome record(Event event, const QString& id);
    // Adds or removes a favourite of a public wallpaper; its count moves by
    // one when the user's favourite changes, and stays when it was already so.
    Outcome setFavorite(const QString& userId, const QString& id, bool favorite);

    // The twelve category keys, and a category record for one of them.
    static std::optional<APICategory> category(const QString& key);

private:
    QList<APIWallpaper> select(const QString& where, std::initializer_list<QVariant> values, const QString& origin,
        const QString& order = QStringLiteral("w.created_at DESC, w.id"), int limit = -1, int offset = 0) const;

    ServiceStore& m_store;
};
