#include "UploadExchange.h"

#include "CancelToken.h"

#include <QIODevice>
#include <QSslConfiguration>
#include <QSslSocket>

namespace {

constexpr qint64 chunkSize = 1 << 20;
// Bytes handed to the socket ahead of what it has sent.
constexpr qint64 socketAhead = 4 << 20;
constexpr qsizetype maximumHeadSize = 64 << 10;

NetworkError socketError(QAbstractSocket::SocketError error, const QString& text)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return { NetworkError::Code::cannotConnectToHost, text };
    case QAbstractSocket::RemoteHostClosedError:
        return { NetworkError::Code::networkConnectionLost, text };
    case QAbstractSocket::HostNotFoundError:
        return { NetworkError::Code::cannotFindHost, text };
    case QAbstractSocket::SocketTimeoutError:
        return NetworkError::timedOut();
    case QAbstractSocket::NetworkError:
        return { NetworkError::Code::notConnectedToInternet, text };
    case QAbstractSocket::SslHandshakeFailedError:
        return { NetworkError::Code::secureConnectionFailed, text };
    default:
        return { NetworkError::Code::other, text };
    }
}

// The body of a chunked answer, or nothing while it is incomplete.
std::optional<QByteArray> unchunk(QByteArrayView data)
{
    QByteArray body;
    qsizetype at = 0;
    while (true) {
        const qsizetype lineEnd = data.indexOf("\r\n", at);
        if (lineEnd < 0)
            return std::nullopt;
        bool ok = false;
        const qint64 size
            = data.sliced(at, lineEnd - at).toByteArray().split(';').value(0).trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0)
            return QByteArray(); // unreadable: judged as an empty body
        at = lineEnd + 2;
        if (size == 0)
            return body;
        if (data.size() < at + size + 2)
            return std::nullopt;
        body.append(data.sliced(at, size));
        at += size + 2;
    }
}

} // namespace

UploadExchange::UploadExchange(const QNetworkRequest& request, const QByteArray& method,
    std::unique_ptr<QIODevice> body, QPromise<Result<HTTPReply>> promise, const TransferLimits& limits,
    CancelToken* cancel, QObject* parent)
    : QObject(parent),
      m_request(request),
      m_method(method),
      m_body(std::move(body)),
      m_promise(std::move(promise)),
      m_maximumAnswer(std::min<qint64>(limits.maximumBodySize, 1 << 20))
{
    const QUrl url = request.url();
    const bool secure = url.scheme() == QLatin1String("https");
    if (secure) {
        auto* ssl = new QSslSocket(this);
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setProtocol(QSsl::TlsV1_2); // the upload session's ceiling
        ssl->setSslConfiguration(configuration);
        m_socket = ssl;
        connect(ssl, &QSslSocket::encrypted, this, &UploadExchange::sendHead);
    } else {
        m_socket = new QTcpSocket(this);
        connect(m_socket, &QTcpSocket::connected, this, &UploadExchange::sendHead);
    }
    m_watch = new TransferWatch(
        limits, [this] { fail(NetworkError::timedOut()); }, this);
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        m_watch->stamp();
        pump();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &UploadExchange::readAnswer);
    connect(m_socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // A server that closes after a length-less answer has finished it.
        if (error == QAbstractSocket::RemoteHostClosedError && !m_answer.isEmpty())
            return parseAnswer();
        fail(socketError(error, m_socket->errorString()));
    });
    if (cancel)
        connect(cancel, &CancelToken::cancelled, this, [this] { fail(NetworkError::cancelled()); });

    const quint16 port = quint16(url.port(secure ? 443 : 80));
    if (secure)
        static_cast<QSslSocket*>(m_socket)->connectToHostEncrypted(url.host(), port);
    else
        m_socket->connectToHost(url.host(), port);
}

UploadExchange::~UploadExchange()
{
    // Destroyed with the client before the answer came.
    if (!std::exchange(m_settled, true)) {
        m_promise.addResult(NetworkError::cancelled());
        m_promise.finish();
    }
}

void UploadExchange::sendHead()
{
    const QUrl url = m_request.url();
    QByteArray head = m_method + ' ' + url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) + " HTTP/1.1\r\n";
    head += "Host: " + url.host(QUrl::FullyEncoded).toUtf8();
    if (url.port() != -1)
        head += ':' + QByteArray::number(url.port());
    head += "\r\n";
    for (const QByteArray& name : m_request.rawHeaderList())
        head += name + ": " + m_request.rawHeader(name) + "\r\n";
    head += "Content-Length: " + QByteArray::number(m_body ? m_body->size() : 0) + "\r\nConnection: close\r\n\r\n";
    m_socket->write(head);
    pump();
}

void UploadExchange::pump()
{
    while (m_body && !m_body->atEnd() && m_socket->bytesToWrite() < socketAhead) {
        const QByteArray chunk = m_body->read(chunkSize);
        if (chunk.isEmpty())
            return fail(FileError { QStringLiteral("The file could not be read.") });
        m_socket->write(chunk);
    }
}

void UploadExchange::readAnswer()
{
    m_watch->stamp();
    m_answer += m_socket->readAll();
    if (m_answer.size() > maximumHeadSize + m_maximumAnswer)
        return fail(APIError::invalidResponse());
    parseAnswer();
}

void UploadExchange::parseAnswer()
{
    const qsizetype headEnd = m_answer.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            fail(APIError::invalidResponse());
        return;
    }
    const QList<QByteArray> lines = m_answer.left(headEnd).split('\n');
    const QList<QByteArray> statusLine = lines.value(0).trimmed().split(' ');
    bool ok = false;
    const int status = statusLine.value(1).toInt(&ok);
    if (!statusLine.value(0).startsWith("HTTP/") || !ok)
        return fail(APIError::invalidResponse());
    if (status >= 100 && status < 200) { // an interim answer: the real one follows
        m_answer.remove(0, headEnd + 4);
        return parseAnswer();
    }
    std::optional<qint64> length;
    bool chunked = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length")
            length = value.toLongLong();
        else if (name == "transfer-encoding" && value.toLower().contains("chunked"))
            chunked = true;
    }
    const QByteArrayView rest = QByteArrayView(m_answer).sliced(headEnd + 4);
    std::optional<QByteArray> body;
    if (chunked)
        body = unchunk(rest);
    else if (length && rest.size() >= *length)
        body = rest.first(*length).toByteArray();
    else if (!length && m_socket->state() != QAbstractSocket::ConnectedState)
        body = rest.toByteArray();
    if (!body)
        return; // more to come
    settle(HTTPReply { status, (status >= 200 && status <= 299) ? *body : QByteArray() });
}

void UploadExchange::fail(ServiceError error) { settle(std::move(error)); }

void UploadExchange::settle(Result<HTTPReply> result)
{
    if (m_settled)
        return;
    m_settled = true;
    m_watch->stop();
    m_promise.addResult(std::move(result));
    m_promise.finish();
    m_socket->abort();
    deleteLater();
}
