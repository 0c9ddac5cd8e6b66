#include "CatalogueCache.h"

#include "ChunkedMap.h"
#include "Log.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPromise>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray encoded(const APIWallpaper& record)
{
    return QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact);
}

std::optional<QByteArray> readWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > CatalogueCache::maxFileBytes)
        return std::nullopt;
    return file.readAll();
}

// Runs work on the queue and hands its result to the returned future. A
// queue that stops before running it cancels the future.
template <typename T, typename F>
QFuture<T> resolveOn(SerialQueue& queue, F work)
{
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    queue.async([promise, work = std::move(work)]() mutable {
        if constexpr (std::is_void_v<T>) {
            work();
        } else {
            promise->addResult(work());
        }
        promise->finish();
    });
    return future;
}

} // namespace

// The records in file order, each with its encoded form, and where each id is.
struct CatalogueCache::Contents
{
    QList<QString> ids;
    QList<QByteArray> json;
    QHash<QString, qsizetype> positions;

    void append(const QString& id, QByteArray record)
    {
        positions.insert(id, ids.size());
        ids.append(id);
        json.append(std::move(record));
    }
};

// Replaces the record of each known id in place, appends the others; a later
// record of one id replaces an earlier one.
void CatalogueCache::merge(Contents& contents, const QList<APIWallpaper>& records)
{
    const QList<QByteArray> json = mapInChunks(records, encoded).result();
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QString& id = records.at(i).id;
        if (const auto found = contents.positions.constFind(id); found != contents.positions.cend())
            contents.json[*found] = json.at(i);
        else
            contents.append(id, json.at(i));
    }
}

CatalogueCache::CatalogueCache(QString filePath) : m_filePath(std::move(filePath)) {}

CatalogueCache::~CatalogueCache()
{
    m_queue.sync([] {}); // let queued writes land before the queue goes
}

std::optional<QList<APIWallpaper>> CatalogueCache::decode(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    const QList<QJsonValue> elements(array.begin(), array.end());
    const QList<std::optional<APIWallpaper>> decoded = mapInChunks(elements, [](const QJsonValue& element) {
        return element.isObject() ? APIWallpaper::fromJson(element.toObject()) : std::nullopt;
    }).result();
    QList<APIWallpaper> records;
    records.reserve(decoded.size());
    for (const std::optional<APIWallpaper>& record : decoded) {
        if (!record)
            return std::nullopt;
        records.append(*record);
    }
    return records;
}

CatalogueCache::Contents& CatalogueCache::contents(QList<APIWallpaper>* firstRead)
{
    if (m_contents)
        return *m_contents;
    m_contents = std::make_unique<Contents>();
    const std::optional<QByteArray> bytes = readWhole(m_filePath);
    const std::optional<QList<APIWallpaper>> records = bytes ? decode(*bytes) : std::nullopt;
    if (records) {
        if (firstRead)
            *firstRead = *records;
        merge(*m_contents, *records);
    }
    return *m_contents;
}

bool CatalogueCache::write(const Contents& contents, QString* error) const
{
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    file.write("[");
    for (qsizetype i = 0; i < contents.json.size(); ++i) {
        if (i > 0)
            file.write(",");
        file.write(contents.json.at(i));
    }
    file.write("]");
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QFuture<QList<APIWallpaper>> CatalogueCache::load()
{
    return resolveOn<QList<APIWallpaper>>(m_queue, [this] {
        QList<APIWallpaper> records;
        if (!m_contents) {
            contents(&records);
            return records;
        }
        // Read before: what is held now, merges included.
        records.reserve(m_contents->json.size());
        for (const QByteArray& json : std::as_const(m_contents->json)) {
            if (auto record = APIWallpaper::fromJson(QJsonDocument::fromJson(json).object()))
                records.append(std::move(*record));
        }
        return records;
    });
}

QFuture<void> CatalogueCache::save(QList<APIWallpaper> records)
{
    return resolveOn<void>(m_queue, [this, records = std::move(records)] {
        Contents& cached = contents();
        merge(cached, records);
        QString error;
        if (!write(cached, &error))
            Log::write(u"Lanto: Failed to write wallpaper cache — "_s + error);
    });
}

QFuture<qsizetype> CatalogueCache::prune(QSet<QString> ids)
{
    return resolveOn<qsizetype>(m_queue, [this, ids = std::move(ids)] {
        Contents& cached = contents();
        Contents kept;
        for (qsizetype i = 0; i < cached.ids.size(); ++i) {
            if (!ids.contains(cached.ids.at(i)))
                kept.append(cached.ids.at(i), cached.json.at(i));
        }
        const qsizetype removed = cached.ids.size() - kept.ids.size();
        if (removed == 0)
            return removed;
        cached = std::move(kept);
        QString ignored;
        write(cached, &ignored);
        Log::write(u"Lanto: Pruned %1 stale wallpapers from cache"_s.arg(removed));
        return removed;
    });
}
