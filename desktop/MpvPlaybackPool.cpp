#include "MpvPlaybackPool.h"

#include "MpvPlayback.h"

std::shared_ptr<MpvPlayback> MpvPlaybackPool::join(
    const QUrl& url, std::optional<QSize> maximumSize, double startSeconds)
{
    std::erase_if(m_playbacks, [](const std::weak_ptr<MpvPlayback>& playback) { return playback.expired(); });
    for (const std::weak_ptr<MpvPlayback>& weak : m_playbacks) {
        if (std::shared_ptr<MpvPlayback> playback = weak.lock(); playback->isJoinable(url, maximumSize, startSeconds))
            return playback;
    }
    return start(url, maximumSize, startSeconds);
}

std::shared_ptr<MpvPlayback> MpvPlaybackPool::start(
    const QUrl& url, std::optional<QSize> maximumSize, double startSeconds)
{
    // Ends on the main thread with its last player, whoever lets go of it.
    auto playback = std::shared_ptr<MpvPlayback>(
        new MpvPlayback(url, maximumSize, startSeconds, path(), m_frames), [](MpvPlayback* ending) { ending->deleteLater(); });
    m_playbacks.push_back(playback);
    return playback;
}

VideoRenderPath::Path MpvPlaybackPool::path() const { return m_path ? *m_path : VideoRenderPath::current(); }
