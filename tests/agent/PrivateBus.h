#pragma once

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTest>

// A session bus of the test's own, on a socket file both sides of the namespaces reach.
class PrivateBus
{
public:
    explicit PrivateBus(const QString& directory)
        : m_address(QStringLiteral("unix:path=") + directory + QStringLiteral("/bus"))
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--address=") + m_address });
        m_daemon.waitForStarted();
        m_ready = QTest::qWaitFor([&] { return QFile::exists(directory + QStringLiteral("/bus")); }, 5000);
    }
    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("e2e"));
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }
    bool isReady() const { return m_ready; }
    QString address() const { return m_address; }
    QDBusConnection connection() const { return QDBusConnection::connectToBus(m_address, QStringLiteral("e2e")); }

private:
    QString m_address;
    QProcess m_daemon;
    bool m_ready = false;
};
