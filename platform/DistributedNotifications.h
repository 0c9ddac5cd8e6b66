#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

// The names of the notices that cross between the programs, and of those the
// system posts.
namespace DistributedNotificationNames {
inline constexpr QLatin1String appLaunched("com.lanto.mac.appLaunched");
inline constexpr QLatin1String appWillTerminate("com.lanto.mac.appWillTerminate");
inline constexpr QLatin1String wallpaperChanged("com.lanto.mac.wallpaperChanged");
// The agent shows the desktop Lanto handed it: Lanto, quitting, may take its own windows away.
inline constexpr QLatin1String agentDesktopShown("com.lanto.mac.agentDesktopShown");
inline constexpr QLatin1String screenIsLocked("com.apple.screenIsLocked");
inline constexpr QLatin1String screenIsUnlocked("com.apple.screenIsUnlocked");
} // namespace DistributedNotificationNames

// Notices by name that every process of the user's session can post and
// observe. A notice carries its name only. Observers are called on the main
// thread, the posting process's own observers included.
class DistributedNotifications : public QObject
{
    Q_OBJECT

public:
    // Longer names are not posted and not delivered.
    static constexpr int maxNameLength = 255;

    using QObject::QObject;

    virtual void post(const QString& name) = 0;

    // Calls the handler for every notice of that name until the context object
    // is destroyed or the returned connection is disconnected.
    QMetaObject::Connection observe(const QString& name, const QObject* context, std::function<void()> handler);

    // Hands a notice to this process's observers only, as if it had been posted:
    // for the notices the system posts (screen lock), and for tests.
    void deliver(const QString& name);

signals:
    void received(const QString& name);
};

// The real notices: a broadcast signal on the session bus, carrying the name.
class DBusDistributedNotifications final : public DistributedNotifications
{
    Q_OBJECT

public:
    // Without a session bus nothing is posted or received.
    explicit DBusDistributedNotifications(
        const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~DBusDistributedNotifications() override;

    // Returns once the bus has the notice, so a program may post and then quit.
    void post(const QString& name) override;

private slots:
    void onPosted(const QString& name);

private:
    void waitForBus();

    QDBusConnection m_bus;
};
