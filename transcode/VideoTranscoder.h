#pragma once

#include "EmbeddedMetadata.h"

#include <QFuture>
#include <QString>

#include <functional>
#include <optional>

// Turns a user's own video into the files the library keeps. Every operation runs
// off the calling thread and returns a future: cancel() stops a running job and
// leaves none of its files; failures arrive as TranscodeError or MediaError.
// Jobs still running when the process ends are waited for, so owners cancel theirs.
namespace VideoTranscoder {

// Called with the fraction done, from the job's own thread (named by its queue label).
using Progress = std::function<void(double fraction)>;

inline constexpr char transcodeQueueLabel[] = "com.lanto.transcode";
inline constexpr char previewQueueLabel[] = "com.lanto.preview";

// The queue label of the job running on the calling thread; empty on any other thread.
QLatin1StringView currentQueueLabel();

// Re-encodes the first video track of source as 10-bit HEVC Main 10 into a new
// QuickTime movie, without audio. width × height is the displayed size; the movie
// stores its frames unturned at that size and carries the source's rotation.
// Progress follows the frames' times and ends with exactly 1.0 once the file is complete.
QFuture<void> transcodeToHEVCMain10(
    const QString& source, const QString& destination, int width, int height, Progress progress = {});

// A short, small 8-bit HEVC movie of the video's opening: at most maxDuration
// seconds and maxHeight pixels high, at most 30 frames a second, replacing the destination.
QFuture<void> generatePreviewClip(const QString& source, const QString& destination, double maxDuration, int maxHeight);

// The video's first frame as an upright, full-size PNG picture.
QFuture<void> generatePoster(const QString& source, const QString& destination);

// The JSON record in the video's user comment; absent when there is none that reads.
QFuture<std::optional<EmbeddedMetadata>> readEmbeddedMetadata(const QString& source);

// The title the file carries in its own metadata; absent when it has none or an empty one.
QFuture<std::optional<QString>> readEmbeddedTitle(const QString& source);

// The files of one imported video.
struct VideoOutputs
{
    QString content; // the HEVC Main 10 movie
    QString poster; // PNG
    QString preview; // the preview clip
    double previewDuration = 5.0;
    int previewHeight = 720;
};

// The transcode, the poster and the preview clip from one decode of the source,
// encoding the content and the preview at the same time. Fails, leaving none of the
// three files, when the transcode or the poster fails; a failed preview only leaves
// no preview file. The result tells whether the preview was written.
QFuture<bool> transcodeWithPosterAndPreview(
    const QString& source, const VideoOutputs& outputs, int width, int height, Progress progress = {});

} // namespace VideoTranscoder
