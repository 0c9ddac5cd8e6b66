#include "DistributedNotifications.h"

#include <QDBusMessage>

namespace {

const QString objectPath = QStringLiteral("/com/lanto/DistributedNotifications");
const QString interfaceName = QStringLiteral("com.lanto.DistributedNotifications");
const QString signalName = QStringLiteral("Posted");

bool isValidName(const QString& name)
{
    return !name.isEmpty() && name.size() <= DistributedNotifications::maxNameLength;
}

} // namespace

QMetaObject::Connection DistributedNotifications::observe(
    const QString& name, const QObject* context, std::function<void()> handler)
{
    return connect(this, &DistributedNotifications::received, context ? context : this,
        [name, handler = std::move(handler)](const QString& receivedName) {
            if (receivedName == name)
                handler();
        });
}

void DistributedNotifications::deliver(const QString& name)
{
    if (isValidName(name))
        emit received(name);
}

DBusDistributedNotifications::DBusDistributedNotifications(const QDBusConnection& bus, QObject* parent)
    : DistributedNotifications(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    // Only a notice that carries exactly one text is taken.
    m_bus.connect(QString(), objectPath, interfaceName, signalName, QStringLiteral("s"), this, SLOT(onPosted(QString)));
    // Once the bus has answered, it has our match rule: notices posted from now on reach us.
    waitForBus();
}

DBusDistributedNotifications::~DBusDistributedNotifications()
{
    if (m_bus.isConnected())
        m_bus.disconnect(
            QString(), objectPath, interfaceName, signalName, QStringLiteral("s"), this, SLOT(onPosted(QString)));
}

void DBusDistributedNotifications::post(const QString& name)
{
    if (!isValidName(name) || !m_bus.isConnected())
        return;
    QDBusMessage message = QDBusMessage::createSignal(objectPath, interfaceName, signalName);
    message << name;
    if (m_bus.send(message))
        waitForBus();
}

void DBusDistributedNotifications::onPosted(const QString& name) { deliver(name); }

void DBusDistributedNotifications::waitForBus()
{
    // The bus handles one connection's messages in order, so its answer to this
    // call means everything sent before it has arrived.
    const QDBusMessage ping = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    m_bus.call(ping, QDBus::Block, 2000);
}
