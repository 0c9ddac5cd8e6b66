#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A session bus of the test's own, so that nothing the user runs on their own
// bus (a Lanto, an agent) hears the test or is heard by it. Its socket is a
// file, which processes in other network namespaces reach too.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool isReady() const { return m_ready; }
    // For DBUS_SESSION_BUS_ADDRESS of the processes a test starts.
    QString address() const { return m_address; }
    // A connection of this process under the name; closed with the bus.
    QDBusConnection connect(const QString& name);

private:
    QTemporaryDir m_directory;
    QString m_address;
    QProcess m_daemon;
    QStringList m_connections;
    bool m_ready = false;
};
