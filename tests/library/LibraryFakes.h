#pragma once

#include "AccountSource.h"
#include "CatalogueSource.h"
#include "DesktopShows.h"
#include "LockScreen.h"
#include "ScreenRecords.h"
#include "ThumbnailSource.h"
#include "WallpaperService.h"

#include <QPromise>
#include <QSize>
#include <QStringList>

#include <deque>
#include <memory>

// One kind of request of a fake service: answered at once with a set answer,
// or held until the test answers it.
template <typename T> class FakeChannel
{
public:
    std::optional<T> autoAnswer;
    int requests = 0;

    QFuture<T> next()
    {
        ++requests;
        auto promise = std::make_shared<QPromise<T>>();
        promise->start();
        QFuture<T> future = promise->future();
        if (autoAnswer)
            settle(*promise, *autoAnswer);
        else
            m_pending.push_back(promise);
        return future;
    }

    int pendingCount() const { return int(m_pending.size()); }
    // Answers the oldest held request.
    void answer(const T& value)
    {
        auto promise = m_pending.front();
        m_pending.pop_front();
        settle(*promise, value);
    }
    bool oldestWasCancelled() const { return !m_pending.empty() && m_pending.front()->isCanceled(); }

private:
    static void settle(QPromise<T>& promise, const T& value)
    {
        promise.addResult(value);
        promise.finish();
    }

    std::deque<std::shared_ptr<QPromise<T>>> m_pending;
};

class FakeCatalogueSource final : public CatalogueSource
{
public:
    FakeChannel<Result<DiscoverResponse>> discover;
    FakeChannel<Result<TagGroups>> tags;
    FakeChannel<Result<QList<APIWallpaper>>> category;
    QStringList categoryKeys; // in the order asked

    QFuture<Result<DiscoverResponse>> fetchDiscover() override { return discover.next(); }
    QFuture<Result<TagGroups>> fetchTags() override { return tags.next(); }
    QFuture<Result<QList<APIWallpaper>>> fetchWallpapers(const QString& key) override
    {
        categoryKeys.append(key);
        return category.next();
    }
};

// Thumbnails that stay in flight until the test finishes them.
class FakeThumbnailSource final : public ThumbnailSource
{
public:
    QStringList requested; // ids, in order
    int maxInFlight = 0;
    bool answerAtOnce = true;

    QFuture<std::optional<QUrl>> fetchThumbnail(const QString& id, const QString&) override
    {
        requested.append(id);
        auto promise = std::make_shared<QPromise<std::optional<QUrl>>>();
        promise->start();
        auto future = promise->future();
        if (answerAtOnce) {
            promise->addResult(std::nullopt);
            promise->finish();
        } else {
            m_inFlight.push_back(promise);
            maxInFlight = std::max(maxInFlight, int(m_inFlight.size()));
        }
        return future;
    }

    int inFlight() const { return int(m_inFlight.size()); }
    void finishOldest(const std::optional<QUrl>& file = std::nullopt)
    {
        auto promise = m_inFlight.front();
        m_inFlight.pop_front();
        promise->addResult(file);
        promise->finish();
    }

private:
    std::deque<std::shared_ptr<QPromise<std::optional<QUrl>>>> m_inFlight;
};

class FakeScreenRecords final : public ScreenRecords
{
public:
    QList<ScreenModel> screens;
    std::function<void()> onChanged;

    QList<ScreenModel> connectedScreens() const override { return screens; }
    void setOnScreensChanged(std::function<void()> callback) override { onChanged = std::move(callback); }
};

class FakeAccount final : public AccountSource
{
public:
    SignedInAccount account;
    SignedInAccount currentAccount() const override { return account; }
};

// The web and download services: every call recorded in order as "event
// apply <id>", "favorite+ <id>", "withdraw <id>", "download <id>"; downloads
// and favourite syncs are held until the test answers them.
class FakeWallpaperService final : public WallpaperService
{
public:
    bool signedIn = false;
    QStringList calls;
    QStringList events; // the usage events alone, as "<event> <id>"
    FakeChannel<std::optional<QString>> favoriteSyncs;
    FakeChannel<Fetched<QUrl>> downloads;
    Progress lastProgress;

    bool isSignedIn() const override { return signedIn; }
    void recordEvent(UsageEvent event, const QString& cloudID) override
    {
        events.append(LantoAPIClient::usageEventName(event) + QLatin1Char(' ') + cloudID);
        calls.append(QStringLiteral("event ") + events.last());
    }
    QFuture<std::optional<QString>> syncFavorite(const QString& cloudID, bool isFavorite) override
    {
        calls.append((isFavorite ? QStringLiteral("favorite+ ") : QStringLiteral("favorite- ")) + cloudID);
        return favoriteSyncs.next();
    }
    void withdrawSubmission(const QString& cloudID) override { calls.append(QStringLiteral("withdraw ") + cloudID); }
    QFuture<Fetched<QUrl>> downloadContent(
        const QString& cloudID, const QString&, const std::optional<QString>&, Progress onProgress) override
    {
        calls.append(QStringLiteral("download ") + cloudID);
        lastProgress = std::move(onProgress);
        return downloads.next();
    }
};

// The desktop controller's records and shows: every call recorded in order as
// "video <file name> <key or all>", "picture ...", "remove <key or all>".
class FakeDesktopShows final : public DesktopShows
{
public:
    ScreenModelMap records;
    QStringList calls;

    static QString where(const std::optional<QString>& key) { return key.value_or(QStringLiteral("all")); }

    ScreenModelMap screenModels() const override { return records; }
    void setWallpaperID(const QString& key, const QUuid& id) override
    {
        if (auto record = records.find(key); record != records.end())
            record->wallpaperID = id;
    }
    void showPicture(const QUrl& url, const std::optional<QString>& key) override { show("picture ", url, key); }
    void showVideo(const QUrl& url, const std::optional<QString>& key) override { show("video ", url, key); }
    void show(const char* kind, const QUrl& url, const std::optional<QString>& key)
    {
        calls.append(QLatin1String(kind) + url.fileName() + QLatin1Char(' ') + where(key));
    }
    void removeWallpaper(const std::optional<QString>& key) override
    {
        calls.append(QStringLiteral("remove ") + where(key));
        for (ScreenModel& record : records) {
            if (!key || record.id() == *key)
                record.wallpaperID.reset();
        }
    }
};

// The lock screen: "inject <hex id> <display UUID or main>", "remove <hex id>".
class FakeLockScreen final : public LockScreen
{
public:
    QStringList calls;

    void inject(const Wallpaper& wallpaper, const std::optional<QString>& displayUUID) override
    {
        calls.append(QStringLiteral("inject ") + wallpaper.hexID() + QLatin1Char(' ')
            + displayUUID.value_or(QStringLiteral("main")));
    }
    void remove(const Wallpaper& wallpaper) override { calls.append(QStringLiteral("remove ") + wallpaper.hexID()); }
};

// A catalogue record as the service sends it; the id should be hex digits.
inline APIWallpaper catalogueRecord(const QString& id, const QString& category = QStringLiteral("Nature"),
    QSize size = QSize(3840, 2160), qint64 downloads = 0)
{
    APIWallpaper record;
    record.id = id;
    record.title = QStringLiteral("Title ") + id;
    record.type = QStringLiteral("video");
    record.resolutionWidth = size.width();
    record.resolutionHeight = size.height();
    record.fileSize = 1000;
    record.thumbnailPath = QStringLiteral("https://cdn.example/thumbs/") + id + QStringLiteral(".jpg");
    record.contentPath = QStringLiteral("https://cdn.example/content/") + id + QStringLiteral(".mov");
    record.downloadCount = downloads;
    record.createdAt = record.updatedAt = QStringLiteral("2026-01-01T00:00:00Z");
    record.profile.id = QStringLiteral("00112233445566778899aabb");
    record.category.id = QStringLiteral("c1");
    record.category.name = category;
    record.category.icon = QStringLiteral("leaf");
    return record;
}

// A 24-digit hex id made from a number.
inline QString hexId(int n) { return QStringLiteral("%1").arg(n, 24, 16, QLatin1Char('0')); }
