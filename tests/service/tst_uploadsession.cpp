#include "AwaitFuture.h"
#include "CancelToken.h"
#include "NetworkMonitor.h"
#include "RawHTTPPeer.h"
#include "TemporaryHome.h"
#include "UploadSession.h"

#include <QTcpServer>
#include <QtTest>

#include <sys/stat.h>

using namespace std::chrono_literals;
using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray okEnvelope = R"({"ok":true})";

UploadRequest putTo(quint16 port, const UploadBody& body, std::chrono::milliseconds idle = 5s,
                    const QString& host = QStringLiteral("127.0.0.1"))
{
    UploadRequest request;
    request.url = QUrl(QStringLiteral("http://%1:%2/api/v1/me/wallpapers/w/files/content").arg(host).arg(port));
    request.headers = { { "Content-Type", "video/quicktime" }, { "Authorization", "Bearer tok" } };
    request.body = body;
    request.limits.idleTimeout = idle;
    request.limits.totalTimeout = 60s;
    return request;
}

// Points curl's http proxy elsewhere for as long as it lives.
class ProxyEnvironment
{
public:
    explicit ProxyEnvironment(const QByteArray& proxy)
    {
        qputenv("http_proxy", proxy);
        qunsetenv("no_proxy");
        qunsetenv("NO_PROXY");
    }
    ~ProxyEnvironment() { qunsetenv("http_proxy"); }
};

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort(); // closed again as the server goes
}

} // namespace

class TestUploadSession : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_monitor = std::make_unique<NetworkMonitor>(); }
    void cleanup() { m_monitor.reset(); }

    void answers_data();
    void answers();
    void cancelStopsSending();
    void silentPeerTimesOut();
    void waitsForTheNetwork();
    void loopbackGoesDirectAndNeverWaits_data();
    void loopbackGoesDirectAndNeverWaits();
    void refusesABodyThatIsNoRegularFile();

private:
    std::unique_ptr<NetworkMonitor> m_monitor;
};

void TestUploadSession::answers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("status"); // 0: the upload fails
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("failure");

    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n";
    QTest::newRow("length") << head + "Content-Length: 11\r\n\r\n" + okEnvelope << 200 << okEnvelope << QString();
    QTest::newRow("ends when the server closes") << head + "\r\n" + okEnvelope << 200 << okEnvelope << QString();
    QTest::newRow("chunked") << head + "Transfer-Encoding: chunked\r\n\r\n5\r\n{\"ok\"\r\n6\r\n:true}\r\n0\r\n\r\n"
                             << 200 << okEnvelope << QString();
    const QByteArray interim = "HTTP/1.1 100 Continue\r\n\r\n";
    QTest::newRow("interim answers") << interim.repeated(3) + head + "Content-Length: 11\r\n\r\n" + okEnvelope << 200
                                     << okEnvelope << QString();
    QTest::newRow("a flood of interim answers") << interim.repeated(40000) + head + "Content-Length: 11\r\n\r\n"
            + okEnvelope << 0 << QByteArray() << "Invalid response from server";
    QTest::newRow("redirect is the answer")
        << QByteArray("HTTP/1.1 307 Temporary Redirect\r\nLocation: /elsewhere\r\nContent-Length: 0\r\n\r\n") << 307
        << QByteArray() << QString();
    QTest::newRow("failure body is not kept")
        << QByteArray("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops") << 500 << QByteArray()
        << QString();
    QTest::newRow("not HTTP") << QByteArray("hello\r\n\r\n") << 0 << QByteArray()
                              << "Invalid response from server";
    QTest::newRow("closed without an answer") << QByteArray() << 0 << QByteArray() << "transient";
}

void TestUploadSession::answers()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, failure);

    RawHTTPPeer peer([answer](const RawHTTPPeer::Exchange&) { return answer; });
    UploadSession session(m_monitor.get());
    const QByteArray sent(3 << 20, 'b');
    const std::optional<Result<HTTPReply>> result
        = awaitFuture(session.send(putTo(peer.port(), UploadBody::bytes(sent))));
    QVERIFY(result);
    QCOMPARE(peer.exchanges().size(), 1); // never a second request, whatever the answer
    const RawHTTPPeer::Exchange& exchange = peer.exchanges().constFirst();
    QCOMPARE(exchange.requestLine(), QByteArray("PUT /api/v1/me/wallpapers/w/files/content HTTP/1.1"));
    QVERIFY(exchange.head.contains("\r\nContent-Type: video/quicktime\r\nAuthorization: Bearer tok\r\n"));
    QVERIFY(!exchange.head.contains("Expect:"));
    QCOMPARE(exchange.bodyBytes, sent.size());
    if (status == 0) {
        QVERIFY(!*result);
        if (failure == QLatin1String("transient"))
            QVERIFY(result->error().isTransient());
        else
            QCOMPARE(result->error().description(), failure);
        return;
    }
    QVERIFY2(*result, qPrintable(*result ? QString() : result->error().description()));
    QCOMPARE(result->value().statusCode, status);
    QCOMPARE(result->value().body, body);
}

void TestUploadSession::cancelStopsSending()
{
    RawHTTPPeer peer([](const RawHTTPPeer::Exchange&) { return QByteArray(); });
    peer.setReadingBodies(false);
    UploadSession session(m_monitor.get());
    CancelToken cancel;
    const qint64 size = 256 << 20;
    TemporaryHome home;
    const QString path = home.filePath(QStringLiteral("big.mov"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));
    file.close();

    QFuture<Result<HTTPReply>> future = session.send(putTo(peer.port(), UploadBody::fileSlice(path, 0, size)), &cancel);
    QTRY_VERIFY(!peer.exchanges().isEmpty() && !peer.exchanges().constFirst().head.isEmpty());
    QVERIFY(!future.isFinished());
    cancel.cancel();
    const std::optional<Result<HTTPReply>> result = awaitFuture(future, 5s);
    QVERIFY(result && !*result);
    QCOMPARE(result->error().as<NetworkError>()->code, NetworkError::Code::cancelled);
    // The connection goes with the cancel: reading again, the peer meets its end, short of the body.
    peer.setReadingBodies(true);
    QTRY_VERIFY(peer.exchanges().constFirst().closed);
    QVERIFY(peer.exchanges().constFirst().bodyBytes < size);
}

void TestUploadSession::silentPeerTimesOut()
{
    RawHTTPPeer peer([](const RawHTTPPeer::Exchange&) { return QByteArray(); });
    peer.setReadingBodies(false);
    UploadSession session(m_monitor.get());
    const std::optional<Result<HTTPReply>> result
        = awaitFuture(session.send(putTo(peer.port(), UploadBody::bytes(QByteArray(64 << 20, 'x')), 300ms)));
    QVERIFY(result && !*result);
    QCOMPARE(result->error().as<NetworkError>()->code, NetworkError::Code::timedOut);
}

void TestUploadSession::waitsForTheNetwork()
{
    // A service elsewhere, reached through a proxy that is the peer.
    RawHTTPPeer peer([](const RawHTTPPeer::Exchange&) { return "HTTP/1.1 204 No Content\r\n\r\n"_ba; });
    const ProxyEnvironment proxy("http://127.0.0.1:" + QByteArray::number(peer.port()));
    UploadSession session(m_monitor.get());
    m_monitor->updateReachability(QNetworkInformation::Reachability::Disconnected);
    QTRY_VERIFY(!m_monitor->isConnected());

    // Offline for the whole of its time: it never connects, and times out.
    UploadRequest brief = putTo(80, UploadBody::bytes("x"), 5s, u"uploads.example"_s);
    brief.limits.totalTimeout = 300ms;
    const std::optional<Result<HTTPReply>> expired = awaitFuture(session.send(brief));
    QVERIFY(expired && !*expired);
    QCOMPARE(expired->error().as<NetworkError>()->code, NetworkError::Code::timedOut);
    QVERIFY(peer.exchanges().isEmpty());

    // Back online: the waiting request goes out, through the proxy.
    QFuture<Result<HTTPReply>> waiting = session.send(putTo(80, UploadBody::bytes("x"), 5s, u"uploads.example"_s));
    QCoreApplication::processEvents();
    QVERIFY(!waiting.isFinished());
    m_monitor->updateReachability(QNetworkInformation::Reachability::Online);
    const std::optional<Result<HTTPReply>> sent = awaitFuture(waiting);
    QVERIFY(sent && *sent);
    QCOMPARE(sent->value().statusCode, 204);
    QCOMPARE(peer.exchanges().constFirst().requestLine(),
             "PUT http://uploads.example/api/v1/me/wallpapers/w/files/content HTTP/1.1"_ba);
}

void TestUploadSession::loopbackGoesDirectAndNeverWaits_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("address") << u"127.0.0.1"_s;
    QTest::newRow("name") << u"localhost"_s;
}

// Offline, with a proxy that refuses every connection: this machine's service is still reached, at once.
void TestUploadSession::loopbackGoesDirectAndNeverWaits()
{
    QFETCH(QString, host);
    RawHTTPPeer peer([](const RawHTTPPeer::Exchange&) { return "HTTP/1.1 204 No Content\r\n\r\n"_ba; });
    const ProxyEnvironment proxy("http://127.0.0.1:" + QByteArray::number(closedPort()));
    UploadSession session(m_monitor.get());
    m_monitor->updateReachability(QNetworkInformation::Reachability::Disconnected);
    QTRY_VERIFY(!m_monitor->isConnected());

    UploadRequest request = putTo(peer.port(), UploadBody::bytes("x"), 5s, host);
    request.limits.totalTimeout = 10s;
    const std::optional<Result<HTTPReply>> sent = awaitFuture(session.send(request));
    QVERIFY(sent);
    QVERIFY2(*sent, qPrintable(*sent ? QString() : sent->error().description()));
    QCOMPARE(sent->value().statusCode, 204);
    QCOMPARE(peer.exchanges().constFirst().requestLine(),
             "PUT /api/v1/me/wallpapers/w/files/content HTTP/1.1"_ba);
}

void TestUploadSession::refusesABodyThatIsNoRegularFile()
{
    TemporaryHome home;
    const QString pipe = home.filePath(QStringLiteral("pipe.mov"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    RawHTTPPeer peer([](const RawHTTPPeer::Exchange&) { return "HTTP/1.1 204 No Content\r\n\r\n"_ba; });
    UploadSession session(m_monitor.get());
    const std::optional<Result<HTTPReply>> result
        = awaitFuture(session.send(putTo(peer.port(), UploadBody::fileSlice(pipe, 0, 10))));
    QVERIFY(result && !*result);
    QVERIFY(result->error().as<FileError>());
    QVERIFY(peer.exchanges().isEmpty());
}

QTEST_GUILESS_MAIN(TestUploadSession)
#include "tst_uploadsession.moc"
