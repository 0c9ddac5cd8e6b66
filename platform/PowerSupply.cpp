#include "PowerSupply.h"

#include <QDir>
#include <QFile>

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString readAttribute(const QString& supplyDir, const QString& name)
{
    QFile file(supplyDir + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return QString::fromLatin1(file.read(64)).trimmed();
}

} // namespace

PowerSupply::PowerSupply(const QString& folder, QObject* parent) : QObject(parent), m_folder(folder)
{
    m_onBattery = readIsOnBattery(m_folder);
    listenToKernel();
}

PowerSupply::~PowerSupply()
{
    m_notifier.reset();
    if (m_socket >= 0)
        ::close(m_socket);
}

bool PowerSupply::readIsOnBattery(const QString& folder)
{
    bool externalOnline = false;
    bool externalKnown = false;
    bool batteryPresent = false;
    bool batteryDischarging = false;

    const QStringList supplies = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& supply : supplies) {
        const QString dir = folder + QLatin1Char('/') + supply;
        const QString type = readAttribute(dir, QStringLiteral("type"));
        if (type.isEmpty())
            continue;
        // A mouse's or headset's battery says nothing about the machine.
        if (readAttribute(dir, QStringLiteral("scope")) == QLatin1String("Device"))
            continue;
        if (type == QLatin1String("Battery")) {
            batteryPresent = true;
            if (readAttribute(dir, QStringLiteral("status")) == QLatin1String("Discharging"))
                batteryDischarging = true;
        } else {
            externalKnown = true;
            if (readAttribute(dir, QStringLiteral("online")) == QLatin1String("1"))
                externalOnline = true;
        }
    }
    if (externalOnline)
        return false;
    return batteryDischarging || (externalKnown && batteryPresent);
}

void PowerSupply::refresh()
{
    const bool onBattery = readIsOnBattery(m_folder);
    if (std::exchange(m_onBattery, onBattery) != onBattery)
        emit onBatteryChanged(onBattery);
}

void PowerSupply::listenToKernel()
{
    m_socket = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    if (m_socket < 0)
        return;
    sockaddr_nl address {};
    address.nl_family = AF_NETLINK;
    address.nl_groups = 1; // the kernel's own announcements
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_socket);
        m_socket = -1;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PowerSupply::readKernelMessages);
}

void PowerSupply::readKernelMessages()
{
    // Drain what is queued; one refresh covers any number of announcements.
    bool powerSupplyChanged = false;
    char buffer[8192];
    for (int messages = 0; messages < 256; ++messages) {
        const ssize_t length = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (length <= 0)
            break;
        if (QByteArray::fromRawData(buffer, int(length)).contains("SUBSYSTEM=power_supply"))
            powerSupplyChanged = true;
    }
    if (powerSupplyChanged)
        refresh();
}
