#pragma once

#include "APIModels.h"
#include "FutureDelivery.h"
#include "Result.h"

#include <QFuture>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// What the library asks of the web service's catalogue, behind one narrow
// interface: the service client in production, a scripted fake in tests.

// The value of a library request, or the description of its failure.
template <typename T>
struct Fetched
{
    std::optional<T> value;
    QString failure; // the failure's description when there is no value

    static Fetched success(T v) { return Fetched{std::move(v), {}}; }
    static Fetched failed(QString description) { return Fetched{std::nullopt, std::move(description)}; }
    bool ok() const { return value.has_value(); }
};

// A service client's result as the library's value or failure description.
template <typename T>
Fetched<T> fetchedFrom(const Result<T>& result)
{
    return result ? Fetched<T>::success(result.value()) : Fetched<T>::failed(result.error().description());
}

// Hands a request's outcome to handler on context's thread, whichever thread
// finished it; a cancelled request arrives as a failure. Nothing runs once
// context is gone.
template <typename T, typename F>
void whenFetched(QFuture<Fetched<T>> future, QObject* context, F handler)
{
    auto shared = std::make_shared<F>(std::move(handler));
    deliveredTo(context, std::move(future)).then(context, [shared](Fetched<T> outcome) { (*shared)(std::move(outcome)); })
        .onCanceled(context, [shared] { (*shared)(Fetched<T>::failed(QStringLiteral("The request was cancelled"))); });
}

// The same for a service client's result.
template <typename T, typename F>
void whenFetched(QFuture<Result<T>> future, QObject* context, F handler)
{
    auto shared = std::make_shared<F>(std::move(handler));
    deliveredTo(context, std::move(future)).then(context, [shared](Result<T> outcome) { (*shared)(std::move(outcome)); })
        .onCanceled(context, [shared] { (*shared)(Result<T>(NetworkError::cancelled())); });
}

// The tag catalogue as the service sends it: tags grouped under a group name.
using TagGroups = QMap<QString, QList<APITag>>;

class CatalogueSource
{
public:
    virtual ~CatalogueSource() = default;

    virtual QFuture<Result<DiscoverResponse>> fetchDiscover() = 0;
    virtual QFuture<Result<TagGroups>> fetchTags() = 0;
    // Every page of one category, in page order; a failed page fails the whole listing.
    virtual QFuture<Result<QList<APIWallpaper>>> fetchWallpapers(const QString& categoryKey) = 0;
};
