#include "PowerProfile.h"

#include "DBusPropertyWatcher.h"

PowerProfile::PowerProfile(const QDBusConnection& systemBus, QObject* parent) : QObject(parent)
{
    // The daemon's original name; newer releases answer to it as well.
    const QString name = QStringLiteral("net.hadess.PowerProfiles");
    m_watcher = new DBusPropertyWatcher(systemBus, name, QStringLiteral("/net/hadess/PowerProfiles"), name, this);
    connect(m_watcher, &DBusPropertyWatcher::ready, this, &PowerProfile::update);
    connect(m_watcher, &DBusPropertyWatcher::changed, this, &PowerProfile::update);
}

void PowerProfile::update()
{
    const bool lowPowerMode = m_watcher->value(QStringLiteral("ActiveProfile")) == QStringLiteral("power-saver");
    if (std::exchange(m_lowPowerMode, lowPowerMode) != lowPowerMode)
        emit lowPowerModeChanged(lowPowerMode);
}
