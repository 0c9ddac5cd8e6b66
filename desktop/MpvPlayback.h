#pragma once

#include "MpvCore.h"
#include "VideoRenderPath.h"

#include <QObject>
#include <QSize>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class VideoFrameSource;
class MpvSoftwareRenderer;
struct mpv_event;

// One libmpv core playing one file for the players that show it: usually one,
// several when displays show the same file in step (they then share its
// decoding). It plays while any of its players plays, and loops while any of
// them loops. Main thread.
class MpvPlayback final : public QObject
{
    Q_OBJECT

public:
    struct Wish
    {
        bool playing = false;
        bool loops = true;
    };

    // Opens url (frames capped at maximumSize, when given) from startSeconds.
    // Without a core, fails at once with the reason.
    MpvPlayback(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds, VideoRenderPath::Path path,
        MpvCore::Frames frames = MpvCore::Frames::all);
    ~MpvPlayback() override;

    QUrl url() const { return m_url; }
    std::optional<QSize> maximumSize() const { return m_maximumSize; }
    VideoRenderPath::Path path() const { return m_path; }
    // The frames: drawn through OpenGL on the OpenGL path, in memory on the
    // software path; the other one is null.
    std::shared_ptr<VideoFrameSource> frameSource() const { return m_frameSource; }
    std::shared_ptr<MpvSoftwareRenderer> softwareRenderer() const { return m_softwareRenderer; }

    // Players that use this playback, each with what it wants of it.
    void setWish(const void* player, Wish wish);
    void removePlayer(const void* player);
    int playerCount() const { return int(m_wishes.size()); }

    // Whether another player may join: same file, cap and start, nothing shown
    // yet, and frames drawn in memory, which any number of windows can show.
    bool isJoinable(const QUrl& url, std::optional<QSize> maximumSize, double startSeconds) const;

    // Moves to seconds, exactly. With other players on this playback, the move
    // is decided at the end of the current event: when they all ask for the
    // same place it is made for all (decided(true)); otherwise each asking
    // player must go its own way (decided(false)).
    void requestSeek(double seconds, std::function<void(bool shared)> decided);

    bool hasVideoOutput() const;
    bool fileLoaded() const { return m_fileLoaded; }
    bool playbackStarted() const { return m_playbackStarted; }
    bool isFlowing() const { return m_fileLoaded && m_playbackStarted && !m_coreIdle && !m_pausedForCache && !m_seeking; }
    bool seeking() const { return m_seeking; }
    bool pausedForCache() const { return m_pausedForCache; }
    bool failed() const { return m_failed; }
    QString error() const { return m_error; }
    // Seconds into the file; none until it is loaded.
    std::optional<double> time() const;

signals:
    // Something a player's status depends on changed.
    void stateChanged();
    // Playback (re)started after the open or after a seek.
    void playbackRestarted();
    // The file could not be opened or decoded.
    void failedWith(const QString& error);
    // A pass ended and the file does not loop.
    void passEnded();

private:
    void open();
    void handleEvent(const mpv_event& event);
    void handleFlag(const char* name, bool value);
    void failLater(const QString& error);
    void fail(const QString& error);
    void applyWishes();
    void decideSeeks();
    void seekCore(double seconds);
    void command(std::initializer_list<const char*> arguments);
    void setProperty(const char* name, const char* value);

    struct SeekRequest
    {
        double seconds;
        std::function<void(bool shared)> decided;
    };

    QUrl m_url;
    std::optional<QSize> m_maximumSize;
    double m_startSeconds;
    VideoRenderPath::Path m_path;
    std::shared_ptr<MpvCore> m_core;
    std::shared_ptr<MpvSoftwareRenderer> m_softwareRenderer;
    std::shared_ptr<VideoFrameSource> m_frameSource;
    std::map<const void*, Wish> m_wishes;
    std::vector<SeekRequest> m_seekRequests;
    bool m_fileRequested = false;
    bool m_fileLoaded = false;
    bool m_playbackStarted = false;
    bool m_coreIdle = true;
    bool m_pausedForCache = false;
    bool m_seeking = false;
    bool m_failed = false;
    QString m_error;
    std::optional<bool> m_appliedPause;
    std::optional<bool> m_appliedLoop;
    mutable std::optional<double> m_lastTime;
};
