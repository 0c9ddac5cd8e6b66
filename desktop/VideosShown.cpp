#include "VideosShown.h"

#include "DesktopVideoPlayer.h"

VideosShown::VideosShown(const VideoPlayers& players, Scheduler& scheduler,
    std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent)
{
    for (const auto& [key, owned] : players) {
        DesktopVideoPlayer* player = owned.get();
        if (player->isShownAtPosition())
            continue;
        m_waiting.insert(player);
        connect(player, &DesktopVideoPlayer::shownAtPosition, this, [this, player] { done(player); });
        // A player that goes away shows nothing any more: nothing to wait for.
        connect(player, &QObject::destroyed, this, [this, player] { done(player); });
    }
    if (m_waiting.isEmpty())
        QMetaObject::invokeMethod(this, &VideosShown::finish, Qt::QueuedConnection);
    else
        m_deadline = scheduler.after(timeout, [this] { finish(); });
}

VideosShown::~VideosShown()
{
    if (m_deadline)
        m_deadline->cancel();
}

void VideosShown::done(const QObject* player)
{
    if (m_waiting.remove(player) && m_waiting.isEmpty())
        finish();
}

void VideosShown::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_deadline)
        m_deadline->cancel();
    emit finished();
}
