#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private nginx serving one folder on a loopback port, with its own prefix
// and configuration: never the system's service.
class NginxInstance
{
public:
    NginxInstance(const QString& root, quint16 port, int workers);
    ~NginxInstance();

    // Waits until it accepts connections; false with nginx's output when it does not.
    bool start(QString* error);

private:
    QTemporaryDir m_prefix;
    QString m_root;
    quint16 m_port;
    int m_workers;
    QProcess m_process;
};
