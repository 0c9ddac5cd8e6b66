#pragma once

#include "MpvCore.h"
#include "VideoRenderPath.h"

#include <QSize>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

class MpvPlayback;

// The playbacks of one factory's players: a player that opens a file another
// one has just opened, from the start, joins its playback and so its decoding.
// Main thread.
class MpvPlaybackPool
{
public:
    explicit MpvPlaybackPool(
        std::optional<VideoRenderPath::Path> path = std::nullopt, MpvCore::Frames frames = MpvCore::Frames::all)
        : m_path(path), m_frames(frames)
    {
    }

    // A playback of url from startSeconds: one still joinable, or a new one.
    std::shared_ptr<MpvPlayback> join(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds = 0);
    // A new playback of url of its own, from startSeconds.
    std::shared_ptr<MpvPlayback> start(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds);

private:
    VideoRenderPath::Path path() const;

    // Fixed for tests; otherwise the process's choice.
    std::optional<VideoRenderPath::Path> m_path;
    MpvCore::Frames m_frames;
    std::vector<std::weak_ptr<MpvPlayback>> m_playbacks;
};
