#include "ReduceMotion.h"

#include "DBusPropertyWatcher.h"

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString group = QStringLiteral("org.gnome.desktop.interface");
const QString key = QStringLiteral("enable-animations");

} // namespace

ReduceMotion::ReduceMotion(const QDBusConnection& sessionBus, QObject* parent) : QObject(parent)
{
    QDBusConnection bus = sessionBus;
    if (!bus.isConnected())
        return;
    bus.connect(service, path, settingsInterface, QStringLiteral("SettingChanged"), this,
        SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read = QDBusMessage::createMethodCall(service, path, settingsInterface, QStringLiteral("Read"));
    read << group << key;
    bus.callWithCallback(read, this, SLOT(onRead(QDBusMessage)));
}

void ReduceMotion::onRead(const QDBusMessage& reply)
{
    setAnimationsEnabled(plainDBusValue(reply.arguments().value(0)));
}

void ReduceMotion::onSettingChanged(const QString& changedGroup, const QString& changedKey, const QDBusVariant& value)
{
    if (changedGroup == group && changedKey == key)
        setAnimationsEnabled(plainDBusValue(value.variant()));
}

void ReduceMotion::setAnimationsEnabled(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<bool>())
        return;
    const bool on = !value.toBool();
    if (std::exchange(m_on, on) != on)
        emit changed(on);
}
