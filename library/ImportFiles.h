#pragma once

#include "Cancellation.h"
#include "ImportResult.h"
#include "VideoTranscoder.h"

#include <QFuture>
#include <QString>

#include <memory>
#include <mutex>

// The file-level half of an import: a new folder in the downloads folder with
// the content, its poster and, for a video, its preview clip. Runs off the main
// thread; throws TranscodeError or MediaError, and then leaves no folder behind.
namespace ImportFiles {

// What a running video import can be stopped through from another thread.
class Job
{
public:
    // Stops the running transcode; the import then fails with TranscodeCancelled.
    void cancel();
    bool isCancelled() const;
    // Waits for the transcode; throws its failure, or TranscodeCancelled.
    bool await(QFuture<bool> transcode);

private:
    mutable std::mutex m_mutex;
    bool m_cancelled = false;
    QFuture<bool> m_transcode;
};

// The video transcoded to HEVC Main 10 into "<title>.mov", with "Poster.png" and "preview.mov".
ImportResult importVideo(const QString& source, const QString& title, const QString& downloadsDirectory,
    const VideoTranscoder::Progress& progress, Job& job);

// The picture copied byte for byte, with a PNG poster when it can be decoded.
ImportResult importImage(const QString& source, const QString& title, const QString& downloadsDirectory);

} // namespace ImportFiles
