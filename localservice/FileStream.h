#pragma once

#include <QFile>
#include <QObject>
#include <QTimer>

#include <memory>

class QTcpSocket;

// Writes a file stretch to a socket, a chunk at a time, while the socket's
// own buffer stays small; it goes with the socket. A client that takes
// nothing for a minute loses the connection.
class FileStream : public QObject
{
    Q_OBJECT

public:
    FileStream(QTcpSocket* socket, std::unique_ptr<QFile> file, qint64 length);

private:
    void more();

    QTcpSocket* m_socket;
    std::unique_ptr<QFile> m_file;
    qint64 m_left;
    QTimer m_stall;
};
