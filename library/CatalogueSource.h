#pragma once

#include "APIWallpaper.h"

#include <QFuture>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// What the library asks of the web service's catalogue, behind one narrow
// interface: the service client in production, a scripted fake in tests.

// The value of a catalogue request, or the description of its failure.
template <typename T>
struct Fetched
{
    std::optional<T> value;
    QString failure; // the failure's description when there is no value

    static Fetched success(T v) { return Fetched{std::move(v), {}}; }
    static Fetched failed(QString description) { return Fetched{std::nullopt, std::move(description)}; }
    bool ok() const { return value.has_value(); }
};

// Hands a request's outcome to handler on context's thread; a cancelled
// request arrives as a failure. Nothing runs once context is gone.
template <typename T, typename F>
void whenFetched(QFuture<Fetched<T>> future, QObject* context, F handler)
{
    auto shared = std::make_shared<F>(std::move(handler));
    future.then(context, [shared](Fetched<T> outcome) { (*shared)(std::move(outcome)); })
        .onCanceled(context, [shared] { (*shared)(Fetched<T>::failed(QStringLiteral("The request was cancelled"))); });
}

// One entry of the service's tag catalogue.
struct CatalogueTag
{
    QString id;
    QString name;
    QString groupName;
    qint64 sortOrder = 0;
    std::optional<QString> parentId;

    bool operator==(const CatalogueTag&) const = default;
};

// The tag catalogue as the service sends it: tags grouped under a group name.
using TagGroups = QMap<QString, QList<CatalogueTag>>;

// The curated rows of the Discover page.
struct DiscoverRows
{
    QList<APIWallpaper> featured;
    QList<APIWallpaper> todaysPicks;
    QList<APIWallpaper> trending;
    QList<APIWallpaper> newThisWeek;
    std::optional<QList<APIWallpaper>> free;
};

class CatalogueSource
{
public:
    virtual ~CatalogueSource() = default;

    virtual QFuture<Fetched<DiscoverRows>> fetchDiscover() = 0;
    virtual QFuture<Fetched<TagGroups>> fetchTags() = 0;
    // Every page of one category, in page order; a failed page fails the whole listing.
    virtual QFuture<Fetched<QList<APIWallpaper>>> fetchWallpapers(const QString& categoryKey) = 0;
};
