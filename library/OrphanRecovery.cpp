#include "OrphanRecovery.h"

#include "Log.h"
#include "WallpaperLookup.h"
#include "WallpaperManager.h"

#include <QDir>
#include <QFileInfo>
#include <QPromise>

#include <memory>

OrphanRecovery::OrphanRecovery(
    WallpaperManager& library, WallpaperLookup& lookup, QString downloadsDirectory, QObject* parent)
    : QObject(parent), m_library(library), m_lookup(lookup), m_downloadsDirectory(std::move(downloadsDirectory))
{
}

QStringList OrphanRecovery::orphans(
    const QStringList& entries, const QSet<QString>& knownHexIDs, const QString& downloadsDirectory)
{
    QStringList found;
    for (const QString& name : entries) {
        if (!knownHexIDs.contains(name) && !QFileInfo::exists(downloadsDirectory + QLatin1Char('/') + name + QStringLiteral("/metadata.json")))
            found.append(name);
    }
    return found;
}

QFuture<void> OrphanRecovery::reconcileOrphanedDownloads()
{
    const QStringList entries
        = QDir(m_downloadsDirectory)
              .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    QSet<QString> known;
    for (const Wallpaper& wallpaper : m_library.allWallpaperList().items())
        known.insert(wallpaper.hexID());
    const QStringList found = orphans(entries, known, m_downloadsDirectory);
    if (found.isEmpty())
        return QtFuture::makeReadyFuture();
    Log::write(QStringLiteral("Lanto: Reconciling %1 orphaned downloads: %2").arg(found.size()).arg(found.join(QStringLiteral(", "))));
    return recoverFromAPI(found);
}

QFuture<void> OrphanRecovery::recoverFromAPI(const QStringList& ids)
{
    struct Collected
    {
        QPromise<void> done;
        QList<APIWallpaper> records;
        qsizetype waiting = 0;
    };
    auto collected = std::make_shared<Collected>();
    collected->waiting = ids.size();
    collected->done.start();
    QFuture<void> done = collected->done.future();
    const auto finish = [this, collected] {
        if (!collected->records.isEmpty()) {
            QList<Wallpaper> wallpapers;
            for (const APIWallpaper& record : std::as_const(collected->records))
                wallpapers.append(Wallpaper::fromAPIWallpaper(record));
            m_library.mergeIntoLibrary(wallpapers);
            m_library.saveCatalogueCache(collected->records);
            Log::write(QStringLiteral("Lanto: Recovered %1 wallpapers from API").arg(collected->records.size()));
        }
        collected->done.finish();
    };
    if (ids.isEmpty())
        finish();
    for (const QString& id : ids) {
        m_lookup.fetchWallpaper(id).then(this, [collected, finish](QFuture<Fetched<APIWallpaper>> answer) {
            // A failed request, or one that never got an answer, brings no record.
            if (answer.isValid() && answer.resultCount() > 0 && answer.result().ok())
                collected->records.append(*answer.result().value);
            if (--collected->waiting == 0)
                finish();
        });
    }
    return done;
}
