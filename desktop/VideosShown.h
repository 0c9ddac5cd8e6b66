#pragma once

#include "Scheduler.h"

#include <QObject>
#include <QSet>

#include <chrono>
#include <map>
#include <memory>

class DesktopVideoPlayer;

// Tells once when every given player shows its video where it should be (those
// that do already count at once), or
// when the time-out has passed: the moment the other program may stop showing
// the same desktop without leaving it bare. Main thread.
class VideosShown : public QObject
{
    Q_OBJECT

public:
    using VideoPlayers = std::map<QString, std::unique_ptr<DesktopVideoPlayer>>;

    VideosShown(const VideoPlayers& players, Scheduler& scheduler,
        std::chrono::milliseconds timeout, QObject* parent = nullptr);
    ~VideosShown() override;

signals:
    // Once, never from inside the constructor.
    void finished();

private:
    void done(const QObject* player);
    void finish();

    QSet<const QObject*> m_waiting;
    WorkItemPtr m_deadline;
    bool m_finished = false;
};
