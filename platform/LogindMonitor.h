#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>

#include <memory>

class DBusPropertyWatcher;

// What systemd-logind tells about sleep and about our session, over the system
// bus: the machine going to sleep and coming back, the screen being locked and
// unlocked, and the session being switched away from and back to. Without a
// system bus or logind, it stays silent.
class LogindMonitor : public QObject
{
    Q_OBJECT

public:
    explicit LogindMonitor(const QDBusConnection& systemBus = QDBusConnection::systemBus(), QObject* parent = nullptr);
    ~LogindMonitor() override;

    // Whether the session of this process is known yet.
    bool hasSession() const { return m_session != nullptr; }

signals:
    void willSleep();
    void didWake();
    void screenLocked();
    void screenUnlocked();
    // The user switched to another session, or back.
    void sessionResignedActive();
    void sessionBecameActive();

private slots:
    void onPrepareForSleep(bool start);
    void onSessionPath(const QDBusMessage& reply);
    void onNoSessionOfProcess();
    void onUserPath(const QDBusMessage& reply);
    void onUserDisplay(const QDBusMessage& reply);
    void onLock();
    void onUnlock();

private:
    void watchSession(const QDBusObjectPath& path);
    void setLocked(bool locked);
    void setActive(bool active);

    QDBusConnection m_bus;
    std::unique_ptr<DBusPropertyWatcher> m_session;
    bool m_locked = false;
    bool m_active = true;
};
