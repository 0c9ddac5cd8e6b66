#include "WallpaperSubmitter.h"

#include "CatalogueSource.h"
#include "FutureDelivery.h"
#include "LantoAPIClient.h"
#include "RegularFile.h"
#include "SubmissionFiles.h"
#include "WallpaperManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QPromise>

using namespace Qt::Literals::StringLiterals;

namespace {

// The preview clip is a few seconds of video; a file far larger is none of ours.
constexpr qint64 maximumPreviewBytes = 256 << 20;

const QString uploading = u"uploading"_s;
const QString pending = u"pending"_s;

bool alreadySent(const QString& status)
{
    return status == pending || status == u"approved"_s;
}

std::optional<QByteArray> readWhole(const QString& path)
{
    return RegularFile::readAll(path, maximumPreviewBytes);
}

} // namespace

struct WallpaperSubmitter::Run
{
    QString key;
    Wallpaper wallpaper;
    SubmissionFiles::Found files;
    QByteArray thumbnail;
    QString id; // the service's, once created
    bool uploadingContent = false;
    QPromise<Outcome> promise;

    void finish(Outcome outcome)
    {
        promise.addResult(std::move(outcome));
        promise.finish();
    }
};

WallpaperSubmitter::WallpaperSubmitter(
    WallpaperManager& library, LantoAPIClient& client, QString downloadsDirectory, QObject* parent)
    : QObject(parent), m_library(library), m_client(client), m_downloadsDirectory(std::move(downloadsDirectory))
{
}

WallpaperSubmitter::~WallpaperSubmitter() = default;

QFuture<WallpaperSubmitter::Outcome> WallpaperSubmitter::submitWallpaper(const Wallpaper& wallpaper)
{
    if (m_isSubmitting)
        return QtFuture::makeReadyFuture(Outcome());
    if (!wallpaper.cloudID())
        return QtFuture::makeReadyFuture(Outcome(SubmissionError::missingFiles(u"No wallpaper ID"_s)));
    // A card can still offer a wallpaper that was sent since it was drawn; it
    // must not reach the service twice.
    if (alreadySent(m_library.submissionStatuses().value(*wallpaper.cloudID(), wallpaper.submissionStatus().value_or(QString()))))
        return QtFuture::makeReadyFuture(Outcome());

    auto run = std::make_shared<Run>();
    run->key = *wallpaper.cloudID();
    run->wallpaper = wallpaper;
    run->promise.start();
    QFuture<Outcome> outcome = run->promise.future();
    setSubmitting(true);
    setProgress(0.0);
    m_library.setSubmissionStatus(run->key, uploading);

    auto found = SubmissionFiles::find(m_downloadsDirectory, run->key);
    if (const SubmissionError* missing = std::get_if<SubmissionError>(&found)) {
        fail(run, *missing);
        return outcome;
    }
    run->files = std::get<SubmissionFiles::Found>(std::move(found));
    setProgress(0.05);
    // A poster is up to a 4K picture: decoded and scaled off the main thread.
    runDeliveredTo(this, [poster = run->files.posterPath] { return SubmissionFiles::makeSubmissionThumbnail(poster); })
        .then(this, [this, run](const std::variant<QByteArray, SubmissionError>& thumbnail) {
            if (const SubmissionError* failed = std::get_if<SubmissionError>(&thumbnail))
                return fail(run, *failed);
            createSubmission(run, std::get<QByteArray>(thumbnail));
        });
    return outcome;
}

template <typename T>
void WallpaperSubmitter::await(const RunPtr& run, QFuture<Result<T>> request, Step<T> next)
{
    whenFetched(request, this, [this, run, next](Result<T> result) {
        if (!result)
            return fail(run, result.error());
        (this->*next)(run, result.value());
    });
}

void WallpaperSubmitter::createSubmission(const RunPtr& run, const QByteArray& thumbnail)
{
    run->thumbnail = thumbnail;
    setProgress(0.1);
    await(run, m_client.createSubmission(SubmissionFiles::createBody(run->wallpaper)),
          &WallpaperSubmitter::uploadThumbnail);
}

void WallpaperSubmitter::uploadThumbnail(const RunPtr& run, const SubmissionCreateResponse& created)
{
    run->id = created.id;
    setProgress(0.15);
    await(run,
          m_client.withTransientRetry<Done>([client = &m_client, id = run->id, bytes = run->thumbnail] {
              return client->putSubmissionFile(id, u"thumbnail"_s, u"image/jpeg"_s, bytes);
          }),
          &WallpaperSubmitter::uploadPoster);
}

void WallpaperSubmitter::uploadPoster(const RunPtr& run, const Done&)
{
    setProgress(0.25);
    await(run, m_client.uploadSubmissionFile(run->id, u"poster"_s, run->files.posterPath, u"image/png"_s),
          &WallpaperSubmitter::uploadContent);
}

void WallpaperSubmitter::uploadContent(const RunPtr& run, const Done&)
{
    setProgress(0.4);
    run->uploadingContent = true;
    // Reports may come from another thread, and after this object is gone.
    const auto onProgress = [self = QPointer(this), run](double fraction) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, run, fraction] {
                // A late report must not move the bar back once the next step set it.
                if (self && run->uploadingContent)
                    self->setProgress(0.4 + 0.4 * fraction);
            },
            Qt::QueuedConnection);
    };
    await(run,
          m_client.uploadSubmissionFile(run->id, u"content"_s, run->files.contentPath,
                                        SubmissionFiles::contentType(run->wallpaper), onProgress),
          &WallpaperSubmitter::uploadPreview);
}

void WallpaperSubmitter::uploadPreview(const RunPtr& run, const Done&)
{
    run->uploadingContent = false;
    setProgress(0.8);
    if (!run->files.previewPath)
        return submit(run, Done{});
    // Up to hundreds of megabytes from disk: read off the main thread.
    runDeliveredTo(this, [path = *run->files.previewPath] { return readWhole(path); })
        .then(this, [this, run](const std::optional<QByteArray>& preview) {
            if (!preview)
                return fail(run, ServiceError(FileError{u"The file preview.mov could not be read."_s}));
            await(run,
                  m_client.withTransientRetry<Done>([client = &m_client, id = run->id, bytes = *preview] {
                      return client->putSubmissionFile(id, u"preview"_s, u"video/quicktime"_s, bytes);
                  }),
                  &WallpaperSubmitter::submit);
        });
}

void WallpaperSubmitter::submit(const RunPtr& run, const Done&)
{
    setProgress(0.9);
    await(run, m_client.submitSubmission(run->id), &WallpaperSubmitter::succeed);
}

void WallpaperSubmitter::succeed(const RunPtr& run, const Done&)
{
    setProgress(1.0);
    m_library.setServerWallpaperId(run->key, run->id);
    m_library.setSubmissionStatus(run->key, pending);
    finishSubmission(run->key);
    run->finish(std::nullopt);
}

void WallpaperSubmitter::fail(const RunPtr& run, const SubmissionFailure& failure)
{
    run->uploadingContent = false;
    finishSubmission(run->key);
    run->finish(failure);
}

void WallpaperSubmitter::finishSubmission(const QString& key)
{
    setSubmitting(false);
    if (m_progress < 1.0)
        m_library.setSubmissionStatus(key, std::nullopt);
}

void WallpaperSubmitter::setSubmitting(bool submitting)
{
    if (m_isSubmitting == submitting)
        return;
    m_isSubmitting = submitting;
    emit isSubmittingChanged();
}

void WallpaperSubmitter::setProgress(double progress)
{
    if (m_progress == progress)
        return;
    m_progress = progress;
    emit submissionProgressChanged();
}
