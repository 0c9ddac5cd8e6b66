#pragma once

#include <QFuture>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class WallpaperLookup;
class WallpaperManager;

// Finds the entries of the downloads folder that no library record accounts
// for (after the catalogue cache was lost, say) and asks the service for their
// records, so that those downloads show up in the library again. The library's
// start-up runs it once (WallpaperManager::Services::reconcileOrphanedDownloads). Main thread.
class OrphanRecovery : public QObject
{
    Q_OBJECT

public:
    OrphanRecovery(
        WallpaperManager& library, WallpaperLookup& lookup, QString downloadsDirectory, QObject* parent = nullptr);

    // The entries, in their order, that are no known hex id and have no metadata.json; plain files count too.
    static QStringList orphans(
        const QStringList& entries, const QSet<QString>& knownHexIDs, const QString& downloadsDirectory);

    // Finishes when every request has been answered and the records found are in the library.
    QFuture<void> reconcileOrphanedDownloads();
    // Asks for every id at once; merges and caches the records that come back, in the order they come.
    QFuture<void> recoverFromAPI(const QStringList& ids);

private:
    WallpaperManager& m_library;
    WallpaperLookup& m_lookup;
    const QString m_downloadsDirectory;
};
