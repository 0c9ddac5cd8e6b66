#include "DBusPropertyWatcher.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusVariant>

namespace {

const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

} // namespace

QVariant plainDBusValue(const QVariant& value)
{
    QVariant plain = value;
    // A service may wrap a value more than once; a few levels are all anyone uses.
    for (int depth = 0; depth < 4 && plain.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth)
        plain = plain.value<QDBusVariant>().variant();
    return plain;
}

DBusPropertyWatcher::DBusPropertyWatcher(
    const QDBusConnection& bus, const QString& service, const QString& path, const QString& interface, QObject* parent)
    : QObject(parent), m_interface(interface)
{
    QDBusConnection connection = bus;
    if (!connection.isConnected())
        return;
    connection.connect(service, path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
        SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    QDBusMessage getAll = QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("GetAll"));
    getAll << interface;
    connection.callWithCallback(getAll, this, SLOT(onFirstReading(QDBusMessage)), SLOT(onFirstReadingFailed()));
}

void DBusPropertyWatcher::onFirstReading(const QDBusMessage& reply)
{
    const QVariant first = reply.arguments().value(0);
    QVariantMap values;
    if (first.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const QDBusArgument argument = first.value<QDBusArgument>();
        if (argument.currentSignature() == QLatin1String("a{sv}"))
            argument >> values;
    }
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        m_values.insert(it.key(), plainDBusValue(it.value()));
    emit ready();
}

void DBusPropertyWatcher::onFirstReadingFailed()
{
    // The service may come later; its announcements are still taken.
    emit ready();
}

void DBusPropertyWatcher::onPropertiesChanged(
    const QString& interface, const QVariantMap& changedValues, const QStringList& invalidated)
{
    if (interface != m_interface)
        return;
    for (const QString& name : invalidated)
        m_values.remove(name);
    for (auto it = changedValues.cbegin(); it != changedValues.cend(); ++it) {
        const QVariant value = plainDBusValue(it.value());
        if (m_values.value(it.key()) == value)
            continue;
        m_values.insert(it.key(), value);
        emit changed(it.key(), value);
    }
}
