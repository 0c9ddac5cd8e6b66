#include "FileStream.h"

#include <QTcpSocket>

#include <chrono>

namespace {

constexpr qint64 chunk = 256 * 1024;
constexpr qint64 highWater = 1024 * 1024;
constexpr std::chrono::seconds stallTime(60);

} // namespace

FileStream::FileStream(QTcpSocket* socket, std::unique_ptr<QFile> file, qint64 length)
    : QObject(socket), m_socket(socket), m_file(std::move(file)), m_left(length)
{
    connect(socket, &QTcpSocket::bytesWritten, this, &FileStream::more);
    m_stall.setSingleShot(true);
    connect(&m_stall, &QTimer::timeout, socket, &QTcpSocket::abort);
    more();
}

void FileStream::more()
{
    m_stall.start(stallTime);
    while (m_left > 0 && m_socket->bytesToWrite() < highWater) {
        const QByteArray bytes = m_file->read(qMin(chunk, m_left));
        if (bytes.isEmpty()) {
            // The file shrank under us: the promised length cannot be kept.
            m_socket->abort();
            return;
        }
        m_left -= bytes.size();
        m_socket->write(bytes);
    }
    if (m_left == 0)
        deleteLater();
}
