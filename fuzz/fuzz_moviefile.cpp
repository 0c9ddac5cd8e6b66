#include "FuzzSupport.h"
#include "MovieHeader.h"
#include "TranscodeError.h"
#include "VideoSource.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace {

// The frames an import would decode first; enough to pass the header and the first packets.
constexpr int framesRead = 8;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    FuzzSupport::check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), "writing the input");
}

// What the probe of an import tells, and the first frames the transcode gets.
void checkVideo(const QString& path)
{
    using FuzzSupport::check;
    VideoSource video(path);
    const QSize stored = video.storedSize();
    const QSize displayed = video.displayedSize();
    // A turn or a mirror moves the sides; nothing makes them longer than both together.
    const int longest = stored.width() + stored.height();
    check(displayed.width() >= 0 && displayed.height() >= 0 && displayed.width() <= longest
            && displayed.height() <= longest,
        "the displayed size is the stored one turned");
    check(video.frameRate().num > 0 && video.frameRate().den > 0, "a frame rate");
    check(std::isfinite(video.durationSeconds()) && video.durationSeconds() >= 0, "a duration");
    const FFmpeg::FramePtr frame = FFmpeg::makeFrame();
    int64_t lastPts = -1;
    for (int i = 0; i < framesRead && video.read(*frame); ++i) {
        check(frame->pts > lastPts, "time stamps rise from 0");
        check(frame->pkt_duration > 0, "every frame lasts");
        lastPts = frame->pts;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // FFmpeg's complaints about broken files would fill the log and slow every run.
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

// Any bytes as a movie file in the user's download folder, imported: its
// header's metadata and title, then the probe of its video and its first frames.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QTemporaryDir folder;
    // No extension: FFmpeg picks the format by the bytes alone.
    const QString path = folder.filePath(QStringLiteral("movie"));
    writeFile(path, FuzzSupport::bytes(data, size));
    MovieHeader::metadata(path);
    MovieHeader::title(path);
    try {
        checkVideo(path);
    } catch (const TranscodeError&) {
    } catch (const MediaError&) {
    }
    return 0;
}
