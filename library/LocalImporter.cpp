#include "LocalImporter.h"

#include "AccountSource.h"
#include "FutureDelivery.h"
#include "ImportNaming.h"
#include "LocalLibrary.h"
#include "LocalWallpaperMeta.h"
#include "WallpaperManager.h"

#include <QFile>

#include <QtConcurrent>

LocalImporter::LocalImporter(
    QString downloadsDirectory, AccountSource& account, AddToLibrary addToLibrary, QObject* parent)
    : QObject(parent),
      m_downloadsDirectory(std::move(downloadsDirectory)),
      m_account(account),
      m_addToLibrary(std::move(addToLibrary))
{
}

LocalImporter::AddToLibrary LocalImporter::into(WallpaperManager& library)
{
    return [&library](const Wallpaper& wallpaper, const ImportResult& files) {
        const bool hasPoster = QFile::exists(files.posterPath);
        library.addImportedWallpaper(
            wallpaper, files.filePath, hasPoster ? std::optional(files.posterPath) : std::nullopt);
    };
}

LocalImporter::~LocalImporter()
{
    for (const Running& running : std::as_const(m_imports))
        running.job->cancel();
    for (Running& running : m_imports) {
        try {
            running.worker.waitForFinished();
        } catch (...) {
            // Its caller hears of it, or nobody is listening any more.
        }
    }
}

QFuture<Wallpaper> LocalImporter::importLocalFile(const QString& path)
{
    auto job = std::make_shared<ImportFiles::Job>();
    QFuture<Outcome> worker = QtConcurrent::run([this, path, job](QPromise<Outcome>& promise) {
        // Handed on as thrown, so callers can catch TranscodeError and MediaError themselves.
        try {
            promise.addResult(importFiles(path, *job));
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
    m_imports.append({ job, worker });
    setRunning(m_running + 1);
    QFuture<Wallpaper> added = deliveredTo(this, worker).then(this, [this](const Outcome& outcome) { return addToLibrary(outcome); });
    added.then(this, [this, job](QFuture<Wallpaper>) {
        m_imports.removeIf([&job](const Running& running) { return running.job == job; });
        setRunning(m_running - 1);
    });
    return added;
}

LocalImporter::Outcome LocalImporter::importFiles(const QString& path, ImportFiles::Job& job)
{
    QString title = ImportNaming::titleFromFileName(path);
    if (!ImportNaming::isVideoFile(path))
        return { ImportFiles::importImage(path, title, m_downloadsDirectory), WallpaperCategory::digitalArt };
    if (const std::optional<QString> embedded = VideoTranscoder::readEmbeddedTitle(path).result())
        title = *embedded;
    const std::optional<EmbeddedMetadata> metadata = VideoTranscoder::readEmbeddedMetadata(path).result();
    const auto progress = [this](double fraction) {
        QMetaObject::invokeMethod(
            this, [this, fraction] { setProgress(fraction); }, Qt::QueuedConnection);
    };
    return { ImportFiles::importVideo(path, title, m_downloadsDirectory, progress, job),
        ImportNaming::categoryFromMetadata(metadata) };
}

Wallpaper LocalImporter::addToLibrary(const Outcome& outcome)
{
    const ImportResult& files = outcome.files;
    LocalWallpaperMeta meta;
    meta.hexID = files.hexID;
    meta.title = files.title;
    meta.category = rawValue(outcome.category);
    meta.type = files.isVideo ? QStringLiteral("video") : QStringLiteral("image");
    meta.resolutionWidth = qint64(files.resolution.width());
    meta.resolutionHeight = qint64(files.resolution.height());
    meta.fileSize = files.fileSize;
    const Wallpaper wallpaper = LocalLibrary::wallpaperFrom(meta, m_account.currentAccount());
    m_addToLibrary(wallpaper, files);
    return wallpaper;
}

void LocalImporter::setProgress(double progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    emit progressChanged();
}

void LocalImporter::setRunning(int running)
{
    const bool was = isImporting();
    m_running = running;
    if (was != isImporting())
        emit importingChanged();
}
