#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <memory>

class QTcpSocket;

// The answers of one connection on their way out, in the order of their
// requests: each is handed to the socket whole before the next one starts, a
// file's stretch a chunk at a time as the client takes it, so the socket's
// own buffer stays small. An answer the client takes nothing of for the send
// time closes the connection.
class AnswerQueue : public QObject
{
    Q_OBJECT

public:
    AnswerQueue(QTcpSocket* socket, std::chrono::milliseconds sendTime);

    // An answer whose bytes are all at hand.
    void append(QByteArray bytes);
    // A head, then `length` bytes of the file from where it stands.
    void append(QByteArray head, std::unique_ptr<QFile> file, qint64 length);

    // Bytes waiting to be sent: those the socket holds, and those of answers not handed to it yet.
    qint64 waitingBytes() const;
    // Answers not handed to the socket whole yet.
    int waitingAnswers() const { return int(m_answers.size()); }
    // Whether every answer has left the socket.
    bool isDrained() const;

signals:
    // The client took some bytes.
    void progressed();
    // The last waiting byte left the socket.
    void drained();

private:
    struct Answer
    {
        QByteArray bytes; // not handed to the socket yet
        std::unique_ptr<QFile> file;
        qint64 fileLeft = 0;
    };

    void writeMore();
    void sent();

    QTcpSocket* m_socket;
    std::deque<Answer> m_answers;
    qint64 m_queuedBytes = 0;
    const std::chrono::milliseconds m_sendTime;
    QTimer m_stall;
};
