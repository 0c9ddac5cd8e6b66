#pragma once

#include <QFuture>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <functional>
#include <memory>

class Scheduler;
class WorkItem;

// Keeps the review states of the user's submissions current while a screen
// shows them: a sync at once, then another 30 s after each one ends, until it
// stops running or goes away. Main thread.
class StatusRefresh : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool running READ isRunning WRITE setRunning NOTIFY runningChanged)

public:
    using Sync = std::function<QFuture<void>()>;

    static constexpr std::chrono::seconds interval { 30 };

    // Syncs through the environment's library, timed on the main thread.
    explicit StatusRefresh(QObject* parent = nullptr);
    StatusRefresh(Sync sync, Scheduler& scheduler, QObject* parent = nullptr);
    ~StatusRefresh() override;

    bool isRunning() const { return m_running; }
    void setRunning(bool running);

signals:
    void runningChanged();

private:
    void syncNow();

    Sync m_sync;
    Scheduler& m_scheduler;
    bool m_running = false;
    // Counts starts, so a sync that ends after a stop schedules nothing.
    quint64 m_generation = 0;
    std::shared_ptr<WorkItem> m_next;
};
