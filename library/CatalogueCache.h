#pragma once

#include "APIWallpaper.h"
#include "SerialQueue.h"

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

// The file "wallpaper-cache.json": a JSON array of the service's catalogue
// records, at most one per id, in the order they were first seen.
//
// Every operation runs on the cache's own serial queue, so the main thread
// never waits for the disk and writes land in the order they were asked for.
// The file is read once; afterwards the queue keeps the records (sharing their
// texts with the lists handed out), so a merge rewrites the file without
// reading it again. Every write streams the file whole and replaces it
// atomically. Destroying the cache finishes the writes already asked for.
// The futures finish on the queue's thread: wait on them, or hand them on with
// deliveredTo() before attaching continuations.
class CatalogueCache
{
public:
    explicit CatalogueCache(QString filePath);
    ~CatalogueCache();

    CatalogueCache(const CatalogueCache&) = delete;
    CatalogueCache& operator=(const CatalogueCache&) = delete;

    const QString& filePath() const { return m_filePath; }

    // The records on file; none when the file is missing, too large or not
    // an array of catalogue records (logged). Reading a file costs memory in
    // proportion to its size and to the records it holds, never to the number
    // of elements that are not records.
    QFuture<QList<APIWallpaper>> load();
    // Replaces the record of each known id in place and appends the others
    // (a later record of one id in the same batch replaces the earlier one),
    // then writes the file. A failed write is logged and leaves the old file.
    QFuture<void> save(QList<APIWallpaper> records);
    // Removes the records with these ids and, when any went, writes the file
    // and logs how many. Resolves to the number removed.
    QFuture<qsizetype> prune(QSet<QString> ids);

    // The records of a cache file, or nothing when any element is not one.
    // Bytes handed over whole, with spare room behind them, are read in place.
    static std::optional<QList<APIWallpaper>> decode(QByteArray json);

    // Files larger than this are not read: the cache starts afresh.
    static constexpr qint64 maxFileBytes = 512LL * 1024 * 1024;

private:
    struct Contents;
    // On the queue only. Reads the file the first time.
    Contents& contents();
    static void merge(Contents& contents, const QList<APIWallpaper>& records);
    bool write(const Contents& contents, QString* error) const;

    const QString m_filePath;
    std::unique_ptr<Contents> m_contents; // touched only on m_queue
    SerialQueue m_queue{QStringLiteral("com.lanto.catalogue-cache")};
};
