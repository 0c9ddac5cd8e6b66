#pragma once

#include "ImportFiles.h"
#include "ImportResult.h"
#include "Wallpaper.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

class AccountSource;
class WallpaperManager;

// Imports the user's own video and image files: each into a new folder of the
// downloads folder, then, on the main thread, into the library as a downloaded
// wallpaper of the signed-in account. Several imports may run at once. Main thread.
class LocalImporter : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The importer is created once by the application")
    Q_PROPERTY(bool importing READ isImporting NOTIFY importingChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)

public:
    // Puts a finished import into the library (WallpaperManager::addImportedWallpaper).
    using AddToLibrary = std::function<void(const Wallpaper&, const ImportResult&)>;
    // Hands each finished import to the library.
    static AddToLibrary into(WallpaperManager& library);

    LocalImporter(
        QString downloadsDirectory, AccountSource& account, AddToLibrary addToLibrary, QObject* parent = nullptr);
    // Stops the running imports and waits for them; their folders are removed.
    ~LocalImporter() override;

    // The new wallpaper once it is in the library; otherwise the failure of the
    // step that failed (TranscodeError or MediaError), with no folder left behind.
    QFuture<Wallpaper> importLocalFile(const QString& path);

    bool isImporting() const { return m_running > 0; }
    // How far the latest video's transcode has come, 0 to 1.
    double progress() const { return m_progress; }

signals:
    void importingChanged();
    void progressChanged();

private:
    struct Outcome
    {
        ImportResult files;
        WallpaperCategory category;
    };

    Outcome importFiles(const QString& path, ImportFiles::Job& job);
    Wallpaper addToLibrary(const Outcome& outcome);
    void setProgress(double progress);
    void setRunning(int running);

    const QString m_downloadsDirectory;
    AccountSource& m_account;
    AddToLibrary m_addToLibrary;
    int m_running = 0;
    double m_progress = 0;
    struct Running
    {
        std::shared_ptr<ImportFiles::Job> job;
        QFuture<Outcome> worker;
    };
    QList<Running> m_imports;
};
