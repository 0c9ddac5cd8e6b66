#include "NginxInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpSocket>

#include <pwd.h>
#include <unistd.h>

NginxInstance::NginxInstance(const QString& root, quint16 port, int workers)
    : m_root(root), m_port(port), m_workers(workers)
{
}

NginxInstance::~NginxInstance()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool NginxInstance::start(QString* error)
{
    const QString prefix = m_prefix.path();
    QDir(prefix).mkpath(QStringLiteral("logs"));
    // As root, nginx would hand its workers to an account that cannot read the temporary folders.
    QString user;
    if (geteuid() == 0)
        user = QStringLiteral("user %1;\n").arg(QString::fromLocal8Bit(getpwuid(getuid())->pw_name));
    const QString config = user
        + QStringLiteral(R"(worker_processes %1;
pid %2/nginx.pid;
error_log %2/logs/error.log warn;
events { worker_connections 4096; }
http {
    access_log off;
    sendfile on;
    tcp_nopush on;
    keepalive_timeout 0;
    client_body_temp_path %2/body;
    proxy_temp_path %2/proxy;
    fastcgi_temp_path %2/fastcgi;
    uwsgi_temp_path %2/uwsgi;
    scgi_temp_path %2/scgi;
    types { video/quicktime mov; }
    server {
        listen 127.0.0.1:%3;
        root "%4";
    }
}
)")
              .arg(m_workers)
              .arg(prefix)
              .arg(m_port)
              .arg(m_root);
    QFile file(QDir(prefix).filePath(QStringLiteral("nginx.conf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0) {
        *error = QStringLiteral("cannot write the nginx configuration");
        return false;
    }
    file.close();

    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("/usr/sbin/nginx"),
        { QStringLiteral("-p"), prefix, QStringLiteral("-c"), file.fileName(), QStringLiteral("-g"),
            QStringLiteral("daemon off;") });
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), m_port);
        if (probe.waitForConnected(200))
            return true;
        m_process.waitForFinished(100);
    }
    *error = QString::fromUtf8(m_process.readAll());
    return false;
}
