#include "CatalogueCache.h"

#include "CatalogueArray.h"
#include "CatalogueWriter.h"
#include "Log.h"
#include "RegularFile.h"

#include <QFile>
#include <QHash>
#include <QPromise>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// The whole file with room behind it for the parser's padding, so it is not copied again.
std::optional<QByteArray> readWhole(const QString& path)
{
    std::optional<RegularFile> file = RegularFile::open(path);
    return file ? file->contents(CatalogueCache::maxFileBytes, CatalogueArray::paddingBytes) : std::nullopt;
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

// The records in file order, and where each id is. The records share their
// texts with the lists handed out, so holding them costs little.
struct CatalogueCache::Contents
{
    QList<APIWallpaper> records;
    QHash<QString, qsizetype> positions;

    void append(APIWallpaper record)
    {
        positions.insert(record.id, records.size());
        records.append(std::move(record));
    }
};

// Replaces the record of each known id in place, appends the others; a later
// record of one id replaces an earlier one.
void CatalogueCache::merge(Contents& contents, const QList<APIWallpaper>& records)
{
    // Into nothing, a batch without a repeated id is taken as it is: the
    // records are shared with the caller's list, not copied one by one.
    if (contents.records.isEmpty()) {
        QHash<QString, qsizetype> positions;
        positions.reserve(records.size());
        for (qsizetype i = 0; i < records.size(); ++i)
            positions.insert(records.at(i).id, i);
        if (positions.size() == records.size()) {
            contents.records = records;
            contents.positions = std::move(positions);
            return;
        }
    }
    contents.records.reserve(contents.records.size() + records.size());
    contents.positions.reserve(contents.records.size() + records.size());
    for (const APIWallpaper& record : records) {
        if (const auto found = contents.positions.constFind(record.id); found != contents.positions.cend())
            contents.records[*found] = record;
        else
            contents.append(record);
    }
}

CatalogueCache::CatalogueCache(QString filePath) : m_filePath(std::move(filePath)) {}

CatalogueCache::~CatalogueCache()
{
    m_queue.sync([] {}); // let queued writes land before the queue goes
}

std::optional<QList<APIWallpaper>> CatalogueCache::decode(QByteArray json)
{
    return CatalogueArray::decode(std::move(json));
}

CatalogueCache::Contents& CatalogueCache::contents()
{
    if (m_contents)
        return *m_contents;
    m_contents = std::make_unique<Contents>();
    std::optional<QByteArray> bytes = readWhole(m_filePath);
    if (bytes) {
        if (std::optional<QList<APIWallpaper>> records = CatalogueArray::decode(std::move(*bytes)))
            merge(*m_contents, *records);
        else
            Log::write(u"Lanto: Ignoring wallpaper cache — not an array of catalogue records"_s);
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
    CatalogueWriter::ArrayStream stream(file);
    bool written = true;
    for (const APIWallpaper& record : contents.records) {
        if (!(written = stream.add(record)))
            break;
    }
    if (!(written && stream.finish() && file.commit())) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QFuture<QList<APIWallpaper>> CatalogueCache::load()
{
    // What is held now, merges included.
    return resolveOn<QList<APIWallpaper>>(m_queue, [this] { return contents().records; });
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
        for (const APIWallpaper& record : std::as_const(cached.records)) {
            if (!ids.contains(record.id))
                kept.append(record);
        }
        const qsizetype removed = cached.records.size() - kept.records.size();
        if (removed == 0)
            return removed;
        cached = std::move(kept);
        QString ignored;
        write(cached, &ignored);
        Log::write(u"Lanto: Pruned %1 stale wallpapers from cache"_s.arg(removed));
        return removed;
    });
}
