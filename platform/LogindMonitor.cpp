#include "LogindMonitor.h"

#include "DBusPropertyWatcher.h"

#include <QDBusArgument>
#include <QDBusVariant>

#include <unistd.h>

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString userInterface = QStringLiteral("org.freedesktop.login1.User");

QDBusMessage managerCall(const QString& method)
{
    return QDBusMessage::createMethodCall(service, managerPath, managerInterface, method);
}

std::optional<bool> boolValue(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<bool>())
        return std::nullopt;
    return value.toBool();
}

} // namespace

LogindMonitor::LogindMonitor(const QDBusConnection& systemBus, QObject* parent) : QObject(parent), m_bus(systemBus)
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(
        service, managerPath, managerInterface, QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));
    QDBusMessage call = managerCall(QStringLiteral("GetSessionByPID"));
    call << quint32(::getpid());
    m_bus.callWithCallback(call, this, SLOT(onSessionPath(QDBusMessage)), SLOT(onNoSessionOfProcess()));
}

LogindMonitor::~LogindMonitor() = default;

void LogindMonitor::onPrepareForSleep(bool start)
{
    if (start)
        emit willSleep();
    else
        emit didWake();
}

void LogindMonitor::onSessionPath(const QDBusMessage& reply)
{
    const QDBusObjectPath path = reply.arguments().value(0).value<QDBusObjectPath>();
    if (path.path().isEmpty())
        onNoSessionOfProcess();
    else
        watchSession(path);
}

void LogindMonitor::onNoSessionOfProcess()
{
    // Started outside a session (for example by the user's service manager):
    // follow the user's graphical session instead.
    QDBusMessage call = managerCall(QStringLiteral("GetUser"));
    call << quint32(::getuid());
    m_bus.callWithCallback(call, this, SLOT(onUserPath(QDBusMessage)));
}

void LogindMonitor::onUserPath(const QDBusMessage& reply)
{
    const QDBusObjectPath path = reply.arguments().value(0).value<QDBusObjectPath>();
    if (path.path().isEmpty())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, path.path(), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << userInterface << QStringLiteral("Display");
    m_bus.callWithCallback(call, this, SLOT(onUserDisplay(QDBusMessage)));
}

void LogindMonitor::onUserDisplay(const QDBusMessage& reply)
{
    // The property is a pair of session id and session object path.
    const QVariant value = plainDBusValue(reply.arguments().value(0));
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return;
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(so)"))
        return;
    QString id;
    QDBusObjectPath path;
    argument.beginStructure();
    argument >> id >> path;
    argument.endStructure();
    if (!path.path().isEmpty() && path.path() != QLatin1String("/"))
        watchSession(path);
}

void LogindMonitor::watchSession(const QDBusObjectPath& path)
{
    if (m_session != nullptr)
        return;
    // Subscribed before the first reading is asked for, so that nothing said
    // after that reading is missed.
    m_bus.connect(service, path.path(), sessionInterface, QStringLiteral("Lock"), this, SLOT(onLock()));
    m_bus.connect(service, path.path(), sessionInterface, QStringLiteral("Unlock"), this, SLOT(onUnlock()));
    m_session = std::make_unique<DBusPropertyWatcher>(m_bus, service, path.path(), sessionInterface);
    connect(m_session.get(), &DBusPropertyWatcher::ready, this, [this] {
        // The state at start is no event.
        m_locked = boolValue(m_session->value(QStringLiteral("LockedHint"))).value_or(m_locked);
        m_active = boolValue(m_session->value(QStringLiteral("Active"))).value_or(m_active);
    });
    connect(m_session.get(), &DBusPropertyWatcher::changed, this, [this](const QString& name, const QVariant& value) {
        const std::optional<bool> flag = boolValue(value);
        if (!flag)
            return;
        if (name == QLatin1String("LockedHint"))
            setLocked(*flag);
        else if (name == QLatin1String("Active"))
            setActive(*flag);
    });
}

void LogindMonitor::onLock() { setLocked(true); }

void LogindMonitor::onUnlock() { setLocked(false); }

void LogindMonitor::setLocked(bool locked)
{
    if (std::exchange(m_locked, locked) == locked)
        return;
    if (locked)
        emit screenLocked();
    else
        emit screenUnlocked();
}

void LogindMonitor::setActive(bool active)
{
    if (std::exchange(m_active, active) == active)
        return;
    if (active)
        emit sessionBecameActive();
    else
        emit sessionResignedActive();
}
