#pragma once

#include <QDBusConnection>
#include <QObject>

class DBusPropertyWatcher;

// Whether the user chose the power-saver profile of the power-profiles daemon
// (system bus), the low power mode here. Without the daemon it is off.
class PowerProfile : public QObject
{
    Q_OBJECT

public:
    explicit PowerProfile(const QDBusConnection& systemBus = QDBusConnection::systemBus(), QObject* parent = nullptr);

    bool isLowPowerMode() const { return m_lowPowerMode; }

signals:
    void lowPowerModeChanged(bool lowPowerMode);

private:
    void update();

    DBusPropertyWatcher* m_watcher = nullptr;
    bool m_lowPowerMode = false;
};
