#include "UPowerBattery.h"

#include "DBusPropertyWatcher.h"

UPowerBattery::UPowerBattery(const QDBusConnection& systemBus, QObject* parent) : QObject(parent)
{
    const QString name = QStringLiteral("org.freedesktop.UPower");
    m_watcher = new DBusPropertyWatcher(systemBus, name, QStringLiteral("/org/freedesktop/UPower"), name, this);
    connect(m_watcher, &DBusPropertyWatcher::ready, this, &UPowerBattery::changed);
    connect(m_watcher, &DBusPropertyWatcher::changed, this, [this](const QString& property) {
        if (property == QLatin1String("OnBattery"))
            emit changed();
    });
}

std::optional<bool> UPowerBattery::isOnBattery() const
{
    const QVariant value = m_watcher->value(QStringLiteral("OnBattery"));
    if (value.metaType() != QMetaType::fromType<bool>())
        return std::nullopt;
    return value.toBool();
}
