#include "VideoTranscoder.h"

#include "ClipWindow.h"
#include "FramePipeline.h"
#include "HevcMovieWriter.h"
#include "MovieHeader.h"
#include "PosterSink.h"
#include "TranscodeError.h"
#include "VideoSource.h"

#include "Log.h"
#include "ThreadName.h"

#include <QFile>
#include <QScopeGuard>
#include <QThreadPool>
#include <QtConcurrent>

namespace {

// Encoders use every core on their own, so two jobs at once already fill the
// machine; more would only hold more frames in memory.
class MediaPool : public QThreadPool
{
public:
    MediaPool() { setMaxThreadCount(2); }
};

QThreadPool& mediaPool()
{
    static MediaPool pool;
    return pool;
}

thread_local const char* runningQueue = nullptr;

// Runs work(isCancelled) on the media pool under the queue label, handing its result,
// failure or cancellation to the future.
template <typename T, typename Work> QFuture<T> runJob(QThreadPool& pool, const char* label, Work work)
{
    return QtConcurrent::run(&pool, [label, work = std::move(work)](QPromise<T>& promise) {
        // Named for debuggers and the system's thread lists, not through the pool
        // thread's QObject: that lives in the thread that started it, which may be
        // gone, and its properties must not be touched from here.
        runningQueue = label;
        const auto leave = qScopeGuard([] { runningQueue = nullptr; });
        nameCurrentThread(QString::fromLatin1(label));
        const CancelCheck isCancelled = [&promise] { return promise.isCanceled(); };
        try {
            if constexpr (std::is_void_v<T>)
                work(isCancelled);
            else
                promise.addResult(work(isCancelled));
        } catch (const TranscodeCancelled&) {
            // The future is cancelled already; the job's files went with its writers.
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

void rethrowIfFailed(const std::exception_ptr& failure)
{
    if (failure)
        std::rethrow_exception(failure);
}

QString describe(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const TranscodeError& error) {
        return error.description();
    } catch (const MediaError& error) {
        return error.description();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("unknown failure");
    }
}

void logPreviewFailure(const std::exception_ptr& failure)
{
    Log::write(QStringLiteral("Lanto: Preview clip not written — ") + describe(failure));
}

std::unique_ptr<FrameSink> main10Movie(const QString& destination, QSize displayed, const VideoSource& source)
{
    return std::make_unique<HevcMovieWriter>(destination, HevcSettings::main10(displayed, source));
}

std::unique_ptr<FrameSink> previewClip(
    const QString& destination, double maxDuration, int maxHeight, const VideoSource& source)
{
    const QSize size = HevcSettings::previewSize(source.displayedSize(), maxHeight);
    const HevcSettings settings = HevcSettings::preview(size, source);
    return std::make_unique<ClipWindow>(
        std::make_unique<HevcMovieWriter>(destination, settings), source.timeBase(), maxDuration, settings.frameRate);
}

void removeExisting(const QString& path)
{
    QFile file(path);
    if (file.exists() && !file.remove())
        throw MediaError(QStringLiteral("Could not replace the preview"), file.errorString());
}

} // namespace

namespace VideoTranscoder {

QLatin1StringView currentQueueLabel()
{
    return QLatin1StringView(runningQueue);
}

QFuture<void> transcodeToHEVCMain10(
    const QString& source, const QString& destination, int width, int height, Progress progress)
{
    return runJob<void>(mediaPool(), transcodeQueueLabel, [=](const CancelCheck& isCancelled) {
        VideoSource video(source, isCancelled);
        FramePipeline pipeline(video);
        pipeline.add(main10Movie(destination, QSize(width, height), video));
        rethrowIfFailed(pipeline.run(progress).front());
        if (progress)
            progress(1.0);
    });
}

QFuture<void> generatePreviewClip(const QString& source, const QString& destination, double maxDuration, int maxHeight)
{
    return runJob<void>(mediaPool(), previewQueueLabel, [=](const CancelCheck& isCancelled) {
        VideoSource video(source, isCancelled);
        removeExisting(destination);
        FramePipeline pipeline(video);
        pipeline.add(previewClip(destination, maxDuration, maxHeight, video));
        rethrowIfFailed(pipeline.run().front());
    });
}

QFuture<void> generatePoster(const QString& source, const QString& destination)
{
    return runJob<void>(mediaPool(), transcodeQueueLabel, [=](const CancelCheck& isCancelled) {
        VideoSource video(source, isCancelled);
        FramePipeline pipeline(video);
        pipeline.add(std::make_unique<PosterSink>(destination, video.orientation()));
        rethrowIfFailed(pipeline.run().front());
    });
}

QFuture<std::optional<EmbeddedMetadata>> readEmbeddedMetadata(const QString& source)
{
    // A quick read of the file's header; it need not wait behind transcodes.
    return runJob<std::optional<EmbeddedMetadata>>(*QThreadPool::globalInstance(), transcodeQueueLabel,
        [=](const CancelCheck&) { return MovieHeader::metadata(source); });
}

QFuture<std::optional<QString>> readEmbeddedTitle(const QString& source)
{
    return runJob<std::optional<QString>>(*QThreadPool::globalInstance(), transcodeQueueLabel,
        [=](const CancelCheck&) { return MovieHeader::title(source); });
}

QFuture<bool> transcodeWithPosterAndPreview(
    const QString& source, const VideoOutputs& outputs, int width, int height, Progress progress)
{
    return runJob<bool>(mediaPool(), transcodeQueueLabel, [=](const CancelCheck& isCancelled) {
        VideoSource video(source, isCancelled);
        removeExisting(outputs.preview);
        FramePipeline pipeline(video);
        const size_t content = pipeline.add(main10Movie(outputs.content, QSize(width, height), video));
        const size_t poster = pipeline.add(std::make_unique<PosterSink>(outputs.poster, video.orientation()));
        std::optional<size_t> preview;
        try {
            preview = pipeline.add(previewClip(outputs.preview, outputs.previewDuration, outputs.previewHeight, video));
        } catch (...) {
            logPreviewFailure(std::current_exception());
        }
        const std::vector<std::exception_ptr> failures = pipeline.run(progress);
        if (failures[content] || failures[poster]) {
            // Sinks that succeeded have already put their files in place.
            for (const QString& path : { outputs.content, outputs.poster, outputs.preview })
                QFile::remove(path);
            rethrowIfFailed(failures[content]);
            rethrowIfFailed(failures[poster]);
        }
        if (preview && failures[*preview])
            logPreviewFailure(failures[*preview]);
        if (progress)
            progress(1.0);
        return preview && !failures[*preview];
    });
}

} // namespace VideoTranscoder
