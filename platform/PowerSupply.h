#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// Whether the machine runs on battery, from the kernel's power-supply folder
// (/sys/class/power_supply): on battery when no external supply is online and
// a system battery discharges, or when the known external supplies are all
// offline and there is a system battery. Peripherals' batteries do not count;
// a machine without any supply entries runs on mains.
class PowerSupply : public QObject
{
    Q_OBJECT

public:
    explicit PowerSupply(const QString& folder = QStringLiteral("/sys/class/power_supply"), QObject* parent = nullptr);
    ~PowerSupply() override;

    bool isOnBattery() const { return m_onBattery; }

    // Reads the folder again; emits onBatteryChanged when the answer changed.
    // Runs by itself whenever the kernel announces a power-supply change.
    void refresh();

    static bool readIsOnBattery(const QString& folder);

signals:
    void onBatteryChanged(bool onBattery);

private:
    void listenToKernel();
    void readKernelMessages();

    QString m_folder;
    bool m_onBattery = false;
    int m_socket = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
