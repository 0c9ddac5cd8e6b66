#include "Scheduler.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <limits>

MainThreadScheduler::MainThreadScheduler() : m_context(std::make_unique<QObject>())
{
    if (auto* app = QCoreApplication::instance())
        m_context->moveToThread(app->thread());
}

MainThreadScheduler::~MainThreadScheduler() = default;

MainThreadScheduler& MainThreadScheduler::shared()
{
    static MainThreadScheduler scheduler;
    return scheduler;
}

void MainThreadScheduler::schedule(WorkItemPtr item, Duration delay)
{
    // QTimer takes an int of milliseconds: no negative delays, none that would wrap.
    const auto milliseconds = std::clamp(std::chrono::ceil<std::chrono::milliseconds>(delay),
                                         std::chrono::milliseconds::zero(),
                                         std::chrono::milliseconds(std::numeric_limits<int>::max()));
    QObject* context = m_context.get();
    // Timers belong to the thread that starts them, so start it on the main thread.
    QMetaObject::invokeMethod(context, [context, item = std::move(item), milliseconds] {
        QTimer::singleShot(milliseconds, Qt::PreciseTimer, context, [item] { item->perform(); });
    });
}
