#pragma once

#include "AccountSource.h"
#include "CatalogueSource.h"
#include "ScreenRecords.h"
#include "ThumbnailSource.h"

#include <QPromise>
#include <QSize>
#include <QStringList>

#include <deque>
#include <memory>

// One kind of request of a fake service: answered at once with a set answer,
// or held until the test answers it.
template <typename T>
class FakeChannel
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
    FakeChannel<Fetched<DiscoverRows>> discover;
    FakeChannel<Fetched<TagGroups>> tags;
    FakeChannel<Fetched<QList<APIWallpaper>>> category;
    QStringList categoryKeys; // in the order asked

    QFuture<Fetched<DiscoverRows>> fetchDiscover() override { return discover.next(); }
    QFuture<Fetched<TagGroups>> fetchTags() override { return tags.next(); }
    QFuture<Fetched<QList<APIWallpaper>>> fetchWallpapers(const QString& key) override
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
    void finishOldest()
    {
        auto promise = m_inFlight.front();
        m_inFlight.pop_front();
        promise->addResult(std::nullopt);
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
inline QString hexId(int n)
{
    return QStringLiteral("%1").arg(n, 24, 16, QLatin1Char('0'));
}
