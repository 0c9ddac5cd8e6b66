#include "StatusRefresh.h"

#include "AppEnvironment.h"
#include "Scheduler.h"
#include "WallpaperManager.h"

namespace {

StatusRefresh::Sync throughEnvironment()
{
    WallpaperManager* manager = AppEnvironment::installedObjects().wallpaperManager;
    return [manager] { return manager ? manager->syncSubmissionStatuses() : QtFuture::makeReadyFuture(); };
}

} // namespace

StatusRefresh::StatusRefresh(QObject* parent) : StatusRefresh(throughEnvironment(), MainThreadScheduler::shared(), parent) {}

StatusRefresh::StatusRefresh(Sync sync, Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_sync(std::move(sync)), m_scheduler(scheduler)
{
}

StatusRefresh::~StatusRefresh()
{
    if (m_next)
        m_next->cancel();
}

void StatusRefresh::setRunning(bool running)
{
    if (m_running == running)
        return;
    m_running = running;
    ++m_generation;
    if (m_next)
        m_next->cancel();
    emit runningChanged();
    if (running)
        syncNow();
}

void StatusRefresh::syncNow()
{
    const quint64 generation = m_generation;
    // Taking the future keeps the loop going after a sync that failed.
    m_sync().then(this, [this, generation](const QFuture<void>&) {
        if (generation != m_generation)
            return;
        m_next = m_scheduler.after(interval, [this] { syncNow(); });
    });
}
