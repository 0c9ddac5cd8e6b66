#pragma once

#include <QDBusConnection>
#include <QObject>

#include <optional>

class DBusPropertyWatcher;

// Whether the machine runs on battery, as the UPower daemon (system bus) says.
// Unknown without the daemon, or until it answers.
class UPowerBattery : public QObject
{
    Q_OBJECT

public:
    explicit UPowerBattery(const QDBusConnection& systemBus = QDBusConnection::systemBus(), QObject* parent = nullptr);

    std::optional<bool> isOnBattery() const;

signals:
    // The daemon's first answer arrived, or its answer changed.
    void changed();

private:
    DBusPropertyWatcher* m_watcher = nullptr;
};
