#include "AnswerQueue.h"

#include <QTcpSocket>

namespace {

constexpr qint64 fileChunk = 256 * 1024;
// The socket is given more only while it holds less than this.
constexpr qint64 highWater = 1024 * 1024;

} // namespace

AnswerQueue::AnswerQueue(QTcpSocket* socket, std::chrono::milliseconds sendTime)
    : QObject(socket), m_socket(socket), m_sendTime(sendTime)
{
    connect(socket, &QTcpSocket::bytesWritten, this, &AnswerQueue::sent);
    m_stall.setSingleShot(true);
    connect(&m_stall, &QTimer::timeout, socket, &QTcpSocket::abort);
}

void AnswerQueue::append(QByteArray bytes)
{
    m_queuedBytes += bytes.size();
    m_answers.push_back(Answer { std::move(bytes), nullptr, 0 });
    writeMore();
}

void AnswerQueue::append(QByteArray head, std::unique_ptr<QFile> file, qint64 length)
{
    m_queuedBytes += head.size();
    m_answers.push_back(Answer { std::move(head), std::move(file), length });
    writeMore();
}

qint64 AnswerQueue::waitingBytes() const { return m_socket->bytesToWrite() + m_queuedBytes; }

bool AnswerQueue::isDrained() const { return m_answers.empty() && m_socket->bytesToWrite() == 0; }

void AnswerQueue::sent()
{
    m_stall.start(m_sendTime);
    writeMore();
    emit progressed();
    if (isDrained()) {
        m_stall.stop();
        emit drained();
    }
}

void AnswerQueue::writeMore()
{
    if (!m_answers.empty() && !m_stall.isActive())
        m_stall.start(m_sendTime);
    while (!m_answers.empty() && m_socket->bytesToWrite() < highWater) {
        Answer& answer = m_answers.front();
        if (!answer.bytes.isEmpty()) {
            m_queuedBytes -= answer.bytes.size();
            m_socket->write(std::exchange(answer.bytes, QByteArray()));
        }
        if (answer.fileLeft > 0) {
            const QByteArray bytes = answer.file->read(qMin(fileChunk, answer.fileLeft));
            if (bytes.isEmpty()) {
                // The file shrank under us: the promised length cannot be kept.
                m_socket->abort();
                return;
            }
            answer.fileLeft -= bytes.size();
            m_socket->write(bytes);
        }
        if (answer.fileLeft == 0)
            m_answers.pop_front();
    }
}
