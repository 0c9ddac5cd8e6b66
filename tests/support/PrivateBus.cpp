#include "PrivateBus.h"

#include <QFile>
#include <QTest>

PrivateBus::PrivateBus() : m_address(QStringLiteral("unix:path=") + m_directory.filePath(QStringLiteral("bus")))
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--address=") + m_address });
    m_ready = m_daemon.waitForStarted()
        && QTest::qWaitFor([&] { return QFile::exists(m_directory.filePath(QStringLiteral("bus"))); }, 10000);
}

PrivateBus::~PrivateBus()
{
    for (const QString& name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    m_daemon.terminate();
    m_daemon.waitForFinished();
}

QDBusConnection PrivateBus::connect(const QString& name)
{
    if (!m_connections.contains(name))
        m_connections.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}
