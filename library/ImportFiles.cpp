#include "ImportFiles.h"

#include "ImportNaming.h"
#include "TranscodeError.h"
#include "VideoSource.h"
#include "WallpaperFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>

namespace {

// A new folder named by a fresh hex id, removed with what is in it unless kept.
class NewFolder
{
public:
    explicit NewFolder(const QString& downloadsDirectory)
    {
        QDir downloads(downloadsDirectory);
        if (!downloads.mkpath(QStringLiteral(".")))
            throw MediaError(QStringLiteral("Could not create the wallpaper's folder"), downloadsDirectory);
        // mkdir fails on an existing folder, so an id already in use is drawn again.
        for (int attempt = 0; attempt < 64; ++attempt) {
            const QString id = ImportNaming::makeHexID();
            if (downloads.mkdir(id)) {
                m_hexID = id;
                m_path = downloads.filePath(id);
                return;
            }
        }
        throw MediaError(QStringLiteral("Could not create the wallpaper's folder"), downloadsDirectory);
    }
    ~NewFolder()
    {
        if (!m_kept)
            QDir(m_path).removeRecursively();
    }
    NewFolder(const NewFolder&) = delete;
    NewFolder& operator=(const NewFolder&) = delete;

    const QString& hexID() const { return m_hexID; }
    QString filePath(const QString& name) const { return QDir(m_path).filePath(name); }
    void keep() { m_kept = true; }

private:
    QString m_hexID;
    QString m_path;
    bool m_kept = false;
};

qint64 sizeOf(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

void copyWhole(const QString& source, const QString& destination)
{
    const QString action = QStringLiteral("Could not copy the file");
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw MediaError(action, in.errorString());
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        throw MediaError(action, out.errorString());
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty())
        if (out.write(chunk) != chunk.size())
            throw MediaError(action, out.errorString());
    if (in.error() != QFileDevice::NoError)
        throw MediaError(action, in.errorString());
    if (!out.commit())
        throw MediaError(action, out.errorString());
}

// Writes the picture as PNG; false when it cannot be decoded. A failed write throws.
bool writePoster(const QString& source, const QString& destination)
{
    const QImage image(source);
    if (image.isNull())
        return false;
    QSaveFile file(destination);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        throw MediaError(QStringLiteral("Could not write the poster"), file.errorString());
    return true;
}

} // namespace

namespace ImportFiles {

void Job::cancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    m_transcode.cancel();
}

bool Job::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

bool Job::await(QFuture<bool> transcode)
{
    {
        std::lock_guard lock(m_mutex);
        m_transcode = transcode;
        if (m_cancelled)
            m_transcode.cancel();
    }
    transcode.waitForFinished();
    if (transcode.isCanceled())
        throw TranscodeCancelled();
    return transcode.result();
}

ImportResult importVideo(const QString& source, const QString& title, const QString& downloadsDirectory,
    const VideoTranscoder::Progress& progress, Job& job)
{
    // Read before anything is created: a file without video leaves nothing behind.
    const QSize displayed = VideoSource(source, [&job] { return job.isCancelled(); }).displayedSize();
    NewFolder folder(downloadsDirectory);
    const VideoTranscoder::VideoOutputs outputs { folder.filePath(ImportNaming::contentFileName(title, "mov")),
        folder.filePath(WallpaperFolder::posterFileName), folder.filePath(WallpaperFolder::previewFileName) };
    const bool previewWritten = job.await(VideoTranscoder::transcodeWithPosterAndPreview(
        source, outputs, displayed.width(), displayed.height(), progress));
    folder.keep();
    ImportResult result;
    result.hexID = folder.hexID();
    result.title = title;
    result.filePath = outputs.content;
    result.posterPath = outputs.poster;
    result.resolution = QSizeF(displayed);
    result.fileSize = sizeOf(outputs.content);
    result.isVideo = true;
    if (previewWritten)
        result.previewClipPath = outputs.preview;
    return result;
}

ImportResult importImage(const QString& source, const QString& title, const QString& downloadsDirectory)
{
    NewFolder folder(downloadsDirectory);
    const QString suffix = QFileInfo(source).suffix();
    ImportResult result;
    result.hexID = folder.hexID();
    result.title = title;
    result.filePath = folder.filePath(ImportNaming::contentFileName(title, suffix.isEmpty() ? "png" : suffix));
    result.posterPath = folder.filePath(WallpaperFolder::posterFileName);
    copyWhole(source, result.filePath);
    writePoster(source, result.posterPath);
    const QSize size = QImageReader(source).size();
    result.resolution = QSizeF(size.width() > 0 ? size.width() : 3840, size.height() > 0 ? size.height() : 2160);
    result.fileSize = sizeOf(result.filePath);
    result.isVideo = false;
    folder.keep();
    return result;
}

} // namespace ImportFiles
