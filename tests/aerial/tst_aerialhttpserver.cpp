#include "AerialHTTPServer.h"
#include "HTTPRequest.h"
#include "LogCapture.h"
#include "PropertyList.h"
#include "SettingsKeys.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

#include <csignal>
#include <optional>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QString asset = QStringLiteral("11111111-2222-4333-8444-555555555555");
const QString hex = QStringLiteral("a1b2c3");

struct Reply
{
    QByteArray head; // status line and headers
    QByteArray body;
    bool complete = false; // a blank line was received
    QByteArray statusLine() const { return head.left(head.indexOf("\r\n")); }
    QByteArray header(const QByteArray& name) const
    {
        for (const QByteArray& line : head.split('\n'))
            if (line.startsWith(name + ": "))
                return line.mid(name.size() + 2).trimmed();
        return {};
    }
};

Reply parseReply(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (end < 0)
        return Reply { bytes, {}, false };
    return Reply { bytes.left(end), bytes.mid(end + 4), true };
}

// Sends the bytes, in pieces of pieceSize when given, and reads until the server closes.
Reply exchange(quint16 port, const QByteArray& request, qsizetype pieceSize = 0)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(5000))
        return {};
    for (qsizetype at = 0; at < request.size(); at += pieceSize ? pieceSize : request.size()) {
        socket.write(request.mid(at, pieceSize ? pieceSize : -1));
        socket.waitForBytesWritten(5000);
    }
    QByteArray received;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        received += socket.readAll();
    received += socket.readAll();
    return parseReply(received);
}

QByteArray get(const QString& path, const QByteArray& extraLines = {}, const QByteArray& method = "GET")
{
    return method + " /" + path.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraLines + "\r\n";
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

volatile std::sig_atomic_t brokenPipeSignals = 0;

// Counts SIGPIPE while it lives, in place of the default action that ends the process.
class BrokenPipeCounter
{
public:
    BrokenPipeCounter()
    {
        struct sigaction counting = {};
        counting.sa_handler = [](int) { brokenPipeSignals = brokenPipeSignals + 1; };
        ::sigaction(SIGPIPE, &counting, &m_previous);
        brokenPipeSignals = 0;
    }
    ~BrokenPipeCounter() { ::sigaction(SIGPIPE, &m_previous, nullptr); }
    int count() const { return brokenPipeSignals; }

private:
    struct sigaction m_previous = {};
};

// Whether this process holds the file open: the server does from the first body byte to the close.
bool isOpenInProcess(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System))
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target)
            return true;
    return false;
}

// While it lives, the process can open only so many more descriptors.
class DescriptorShortage
{
public:
    explicit DescriptorShortage(int spare)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_previous);
        rlimit lowered = m_previous;
        lowered.rlim_cur = std::min<rlim_t>(m_previous.rlim_cur, 4096);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd; (fd = ::dup(0)) >= 0;)
            m_taken.push_back(fd);
        for (int i = 0; i < spare && !m_taken.empty(); ++i) {
            ::close(m_taken.back());
            m_taken.pop_back();
        }
    }
    ~DescriptorShortage()
    {
        for (const int fd : m_taken)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &m_previous);
    }

private:
    rlimit m_previous = {};
    std::vector<int> m_taken;
};

} // namespace

class tst_AerialHTTPServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void parsesRequests_data();
    void parsesRequests();
    void servesRanges_data();
    void servesRanges();
    void findsFiles_data();
    void findsFiles();
    void servesLargeBodiesIntact();
    void emptyFile();
    void followsTheMapOnDisk();
    void headerLimits();
    void headerInManySmallWrites();
    void closesPeersThatEndOrStall();
    void peerLeavingMidBodyDoesNotStallOthers();
    void peerClosingAfterReadingDoesNotEndTheProcess();
    void resettingPeersDoNotFloodTheLog();
    void notRegularFilesAreNotServed_data();
    void notRegularFilesAreNotServed();
    void twoServersShareThePort();
    void failedStartCanBeRetried_data();
    void failedStartCanBeRetried();
    void assetURLs();

private:
    void writeMap(const PlistValue::Dictionary& map);
    QString downloads(const QString& relative) const;
    QString legacy(const QString& relative) const;
    AerialHTTPServer& startServer(std::chrono::milliseconds idleTimeout = 10s, int maximumConnections = 0);

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<AerialHTTPServer> m_server;
};

void tst_AerialHTTPServer::init()
{
    m_home = std::make_unique<TemporaryHome>();
    writeMap({ { asset, hex } });
    writeFile(downloads(hex + QStringLiteral("/content.mov")), "0123456789");
    writeFile(downloads(hex + QStringLiteral("/Poster.png")), "poster");
}

void tst_AerialHTTPServer::cleanup()
{
    m_server.reset();
    m_home.reset();
}

void tst_AerialHTTPServer::writeMap(const PlistValue::Dictionary& map)
{
    QDir().mkpath(m_home->appSupportPath());
    QVERIFY(PropertyList::writeFile(m_home->appSupportPath() + QStringLiteral("/Settings.plist"),
        PlistValue::Dictionary { { SettingsKey::aerialAssetToHex, map } }));
}

QString tst_AerialHTTPServer::downloads(const QString& relative) const
{
    return m_home->appSupportPath() + QStringLiteral("/Downloads/") + relative;
}

QString tst_AerialHTTPServer::legacy(const QString& relative) const
{
    return m_home->filePath(QStringLiteral("Library/Application Support/com.apple.wallpaper/aerials/") + relative);
}

AerialHTTPServer& tst_AerialHTTPServer::startServer(std::chrono::milliseconds idleTimeout, int maximumConnections)
{
    AerialHTTPServer::Options options { .port = 0, .idleTimeout = idleTimeout, .home = {} };
    if (maximumConnections > 0) {
        // The cap is shared out over the threads: one thread holds all of it.
        options.threads = 1;
        options.maximumConnections = maximumConnections;
    }
    m_server = std::make_unique<AerialHTTPServer>(options);
    m_server->start();
    return *m_server;
}

void tst_AerialHTTPServer::parsesRequests_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<bool>("parses");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("range"); // "start-end", "start-" or empty for none

    QTest::newRow("range") << "GET /videos/a.mov HTTP/1.1\r\nRange: bytes=0-1" << true << "GET"
                           << "videos/a.mov"
                           << "0-1";
    QTest::newRow("open end") << "get /x HTTP/1.1\r\nrange: bytes=5-" << true << "GET"
                              << "x"
                              << "5-";
    QTest::newRow("no dash") << "GET /x\r\nRange: bytes=7" << true << "GET"
                             << "x"
                             << "7-";
    QTest::newRow("blanks and case") << "GET /x\r\n \trange: \tBYTES= +3 - 9 " << true << "GET"
                                     << "x"
                                     << "3-9";
    QTest::newRow("blank before colon") << "GET /x\r\nRANGE :bytes=1-2" << true << "GET"
                                        << "x"
                                        << "";
    QTest::newRow("suffix") << "GET /x\r\nRange: bytes=-3" << true << "GET"
                            << "x"
                            << "";
    QTest::newRow("list") << "GET /x\r\nRange: bytes=0-1,5-6" << true << "GET"
                          << "x"
                          << "0-1";
    QTest::newRow("bad end") << "GET /x\r\nRange: bytes=2-z" << true << "GET"
                             << "x"
                             << "2-";
    QTest::newRow("overflow") << "GET /x\r\nRange: bytes=9223372036854775808-" << true << "GET"
                              << "x"
                              << "";
    QTest::newRow("largest") << "GET /x\r\nRange: bytes=9223372036854775807-" << true << "GET"
                             << "x"
                             << "9223372036854775807-";
    QTest::newRow("other unit") << "GET /x\r\nRange: items=0-1\r\nRange: bytes=0-1" << true << "GET"
                                << "x"
                                << "";
    QTest::newRow("bare lf and cr") << "\n\rPOST /a/b\nAccept: */*\rRange: bytes=1-1" << true << "POST"
                                    << "a/b"
                                    << "1-1";
    QTest::newRow("no leading slash") << "HEAD videos/a.mov" << true << "HEAD"
                                      << "videos/a.mov"
                                      << "";
    QTest::newRow("non-ASCII path") << QStringLiteral("GET /videos/\u00e9t\u00e9.mov HTTP/1.1") << true << "GET"
                                    << QStringLiteral("videos/\u00e9t\u00e9.mov") << "";
    QTest::newRow("one word") << "GET\r\nRange: bytes=0-1" << false << ""
                              << ""
                              << "";
    QTest::newRow("empty") << "\r\n\r\n"
                           << false << ""
                           << ""
                           << "";
    QTest::newRow("dot dot") << "GET /videos/..hidden.mov HTTP/1.1" << false << ""
                             << ""
                             << "";
}

void tst_AerialHTTPServer::parsesRequests()
{
    QFETCH(QString, header);
    QFETCH(bool, parses);
    const std::optional<HTTPRequest> request = parseRequest(header.toUtf8());
    QCOMPARE(request.has_value(), parses);
    if (!request)
        return;
    QTEST(request->method, "method");
    QTEST(request->path, "path");
    QString range;
    if (request->range)
        range = QString::number(request->range->start) + QLatin1Char('-')
            + (request->range->end ? QString::number(*request->range->end) : QString());
    QTEST(range, "range");
}

void tst_AerialHTTPServer::servesRanges_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("contentRange");
    QTest::addColumn<QByteArray>("length");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("0-1") << QByteArray("GET") << QByteArray("bytes=0-1") << QByteArray("206 Partial Content")
                         << QByteArray("bytes 0-1/10") << QByteArray("2") << QByteArray("01");
    QTest::newRow("5-") << QByteArray("GET") << QByteArray("bytes=5-") << QByteArray("206 Partial Content")
                        << QByteArray("bytes 5-9/10") << QByteArray("5") << QByteArray("56789");
    QTest::newRow("8-100") << QByteArray("GET") << QByteArray("bytes=8-100") << QByteArray("206 Partial Content")
                           << QByteArray("bytes 8-9/10") << QByteArray("2") << QByteArray("89");
    QTest::newRow("10-") << QByteArray("GET") << QByteArray("bytes=10-") << QByteArray("416 Range Not Satisfiable")
                         << QByteArray("bytes */10") << QByteArray("0") << QByteArray();
    QTest::newRow("4-2") << QByteArray("GET") << QByteArray("bytes=4-2") << QByteArray("416 Range Not Satisfiable")
                         << QByteArray("bytes */10") << QByteArray("0") << QByteArray();
    QTest::newRow("suffix") << QByteArray("GET") << QByteArray("bytes=-3") << QByteArray("200 OK") << QByteArray()
                            << QByteArray("10") << QByteArray("0123456789");
    QTest::newRow("head") << QByteArray("HEAD") << QByteArray("bytes=0-1") << QByteArray("206 Partial Content")
                          << QByteArray("bytes 0-1/10") << QByteArray("2") << QByteArray();
    QTest::newRow("list: the first range") << QByteArray("GET") << QByteArray("bytes=0-1,5-9")
                                           << QByteArray("206 Partial Content") << QByteArray("bytes 0-1/10")
                                           << QByteArray("2") << QByteArray("01");
    QTest::newRow("post") << QByteArray("post") << QByteArray("bytes=0-1") << QByteArray("206 Partial Content")
                          << QByteArray("bytes 0-1/10") << QByteArray("2") << QByteArray("01");
}

void tst_AerialHTTPServer::servesRanges()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, range);
    const quint16 port = startServer().port();
    const Reply reply = exchange(
        port, get(QStringLiteral("videos/") + asset + QStringLiteral(".mov"), "Range: " + range + "\r\n", method));
    QVERIFY(reply.complete);
    QTEST(reply.statusLine().mid(9), "status");
    QTEST(reply.header("Content-Range"), "contentRange");
    QTEST(reply.header("Content-Length"), "length");
    QCOMPARE(reply.header("Accept-Ranges"), QByteArray("bytes"));
    QCOMPARE(reply.header("Connection"), QByteArray("close"));
    QTEST(reply.body, "body");
    if (!reply.statusLine().startsWith("HTTP/1.1 416")) {
        QCOMPARE(reply.header("Content-Type"), QByteArray("video/quicktime"));
        QCOMPARE(reply.header("Cache-Control"), QByteArray("public, max-age=31536000, immutable"));
    }
}

void tst_AerialHTTPServer::findsFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");

    const QString mappedVideo = QStringLiteral("videos/") + asset;
    QTest::newRow("thumbnail") << "thumbnails/" + asset + ".png" << QByteArray("200 OK") << QByteArray("image/png")
                               << QByteArray("poster");
    QTest::newRow("video under another ending")
        << mappedVideo + ".png" << QByteArray("200 OK") << QByteArray("video/quicktime") << QByteArray("0123456789");
    QTest::newRow("mapped, other folder")
        << "posters/" + asset + ".png" << QByteArray("404 Not Found") << QByteArray() << QByteArray();
    QTest::newRow("legacy, unmapped") << QStringLiteral("videos/LEGACY.mov") << QByteArray("200 OK")
                                      << QByteArray("video/quicktime") << QByteArray("legacy video");
    QTest::newRow("legacy capitals") << QStringLiteral("videos/CAPS.MP4") << QByteArray("200 OK")
                                     << QByteArray("video/quicktime") << QByteArray("caps");
    QTest::newRow("legacy jpeg") << QStringLiteral("thumbnails/T.jpeg") << QByteArray("200 OK")
                                 << QByteArray("image/jpeg") << QByteArray("jpeg");
    QTest::newRow("legacy json") << QStringLiteral("videos/D.json") << QByteArray("200 OK")
                                 << QByteArray("application/octet-stream") << QByteArray("{}");
    QTest::newRow("legacy, no ending") << QStringLiteral("videos/MOV") << QByteArray("200 OK")
                                       << QByteArray("application/octet-stream") << QByteArray("bare");
    QTest::newRow("legacy manifest is not served")
        << QStringLiteral("manifest/entries.json") << QByteArray("404 Not Found") << QByteArray() << QByteArray();
    QTest::newRow("unsafe mapping is unmapped") << QStringLiteral("videos/ESCAPE.mov") << QByteArray("200 OK")
                                                << QByteArray("video/quicktime") << QByteArray("legacy escape");
    QTest::newRow("mapping with slash") << QStringLiteral("videos/SLASH.mov") << QByteArray("404 Not Found")
                                        << QByteArray() << QByteArray();
    QTest::newRow("missing") << QStringLiteral("videos/NONE.mov") << QByteArray("404 Not Found") << QByteArray()
                             << QByteArray();
    QTest::newRow("one part") << asset + ".mov" << QByteArray("404 Not Found") << QByteArray() << QByteArray();
    QTest::newRow("three parts") << "a/" + mappedVideo + ".mov" << QByteArray("404 Not Found") << QByteArray()
                                 << QByteArray();
    QTest::newRow("dot dot") << "videos/../" + asset + ".mov" << QByteArray("400 Bad Request") << QByteArray()
                             << QByteArray();
}

void tst_AerialHTTPServer::findsFiles()
{
    QFETCH(QString, path);
    writeFile(legacy(QStringLiteral("videos/LEGACY.mov")), "legacy video");
    writeFile(legacy(QStringLiteral("videos/CAPS.MP4")), "caps");
    writeFile(legacy(QStringLiteral("thumbnails/T.jpeg")), "jpeg");
    writeFile(legacy(QStringLiteral("videos/D.json")), "{}");
    writeFile(legacy(QStringLiteral("videos/MOV")), "bare");
    writeFile(legacy(QStringLiteral("videos/ESCAPE.mov")), "legacy escape");
    writeFile(legacy(QStringLiteral("manifest/entries.json")), "{}");
    // Mapped folder names that would leave the downloads folder.
    writeFile(m_home->appSupportPath() + QStringLiteral("/outside/content.mov"), "outside");
    writeFile(downloads(QStringLiteral("x/y/content.mov")), "nested");
    writeMap({ { asset, hex }, { QStringLiteral("ESCAPE"), QStringLiteral("../outside") },
        { QStringLiteral("SLASH"), QStringLiteral("x/y") } });

    const Reply reply = exchange(startServer().port(), get(path));
    QVERIFY(reply.complete);
    QTEST(reply.statusLine().mid(9), "status");
    QTEST(reply.header("Content-Type"), "contentType");
    QTEST(reply.body, "body");
    if (!reply.statusLine().startsWith("HTTP/1.1 200"))
        QCOMPARE(reply.head.split('\n').size(), 3); // status, length and connection only
}

// Bodies larger than one send, through a small window, so that sends are cut
// short and resume where they stopped: every byte arrives once, in order.
void tst_AerialHTTPServer::servesLargeBodiesIntact()
{
    QByteArray contents(7 * 1024 * 1024 + 13, Qt::Uninitialized);
    for (qsizetype i = 0; i < contents.size(); ++i)
        contents[i] = char((i * 7 + i / 251) % 256);
    writeFile(downloads(hex + QStringLiteral("/content.mov")), contents);
    const quint16 port = startServer().port();
    const QString path = QStringLiteral("videos/") + asset + QStringLiteral(".mov");
    const qint64 first = 1024 * 1024 + 3;
    const qint64 last = 6 * 1024 * 1024 + 5;

    const QList<std::pair<QByteArray, QByteArray>> cases { { get(path), contents },
        { get(path, "Range: bytes=" + QByteArray::number(first) + '-' + QByteArray::number(last) + "\r\n"),
            contents.mid(first, last - first + 1) } };
    for (const auto& [request, expected] : cases) {
        QTcpSocket socket;
        socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        QVERIFY(socket.waitForConnected());
        socket.write(request);
        QByteArray received;
        while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
            received += socket.readAll();
        received += socket.readAll();
        const Reply reply = parseReply(received);
        QCOMPARE(reply.header("Content-Length"), QByteArray::number(expected.size()));
        QCOMPARE(reply.body.size(), expected.size());
        QVERIFY(reply.body == expected);
    }
}

void tst_AerialHTTPServer::emptyFile()
{
    writeFile(downloads(hex + QStringLiteral("/content.mov")), {});
    const quint16 port = startServer().port();
    const QString path = QStringLiteral("videos/") + asset + QStringLiteral(".mov");
    const Reply whole = exchange(port, get(path));
    QCOMPARE(whole.statusLine(), QByteArray("HTTP/1.1 200 OK"));
    QCOMPARE(whole.header("Content-Length"), QByteArray("0"));
    QCOMPARE(whole.body, QByteArray());
    QCOMPARE(exchange(port, get(path, "Range: bytes=0-\r\n")).head,
        QByteArray("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */0\r\nAccept-Ranges: bytes\r\n"
                   "Content-Length: 0\r\nConnection: close"));
}

void tst_AerialHTTPServer::followsTheMapOnDisk()
{
    const quint16 port = startServer().port();
    const QString path = QStringLiteral("videos/") + asset + QStringLiteral(".mov");
    QCOMPARE(exchange(port, get(path)).body, QByteArray("0123456789"));
    writeFile(downloads(QStringLiteral("other/content.mov")), "other");
    writeMap({ { asset, QStringLiteral("other") } });
    QCOMPARE(exchange(port, get(path)).body, QByteArray("other"));
    writeMap({});
    QCOMPARE(exchange(port, get(path)).statusLine(), QByteArray("HTTP/1.1 404 Not Found"));
}

void tst_AerialHTTPServer::headerLimits()
{
    const quint16 port = startServer().port();
    const QByteArray filler = "X-Filler: " + QByteArray(60000, 'a') + "\r\n";
    const QString path = QStringLiteral("videos/") + asset + QStringLiteral(".mov");
    QCOMPARE(exchange(port, get(path, filler)).body, QByteArray("0123456789"));
    QCOMPARE(exchange(port, "GET /x HTTP/1.1\r\n" + QByteArray(70000, 'a')).head,
        QByteArray("HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\nConnection: close"));
    QCOMPARE(exchange(port, "GET /\xff\xfe HTTP/1.1\r\n\r\n").statusLine(), QByteArray("HTTP/1.1 400 Bad Request"));
}

void tst_AerialHTTPServer::headerInManySmallWrites()
{
    const QByteArray request = get(QStringLiteral("videos/") + asset + QStringLiteral(".mov"), "Range: bytes=3-4\r\n");
    const Reply reply = exchange(startServer().port(), request, 1);
    QCOMPARE(reply.head,
        QByteArray("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 3-4/10\r\nContent-Type: video/quicktime\r\n"
                   "Content-Length: 2\r\nAccept-Ranges: bytes\r\n"
                   "Cache-Control: public, max-age=31536000, immutable\r\nConnection: close"));
    QCOMPARE(reply.body, QByteArray("34"));
}

void tst_AerialHTTPServer::closesPeersThatEndOrStall()
{
    const QString big = downloads(hex + QStringLiteral("/content.mov"));
    writeFile(big, QByteArray(16 * 1024 * 1024, 'v'));
    const quint16 port = startServer(200ms).port();

    // Half-closed before the blank line: closed without a reply.
    QTcpSocket halfClosed;
    halfClosed.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(halfClosed.waitForConnected());
    halfClosed.write("GET /videos/x.mov HTTP/1.1\r\n");
    QVERIFY(halfClosed.waitForBytesWritten());
    ::shutdown(int(halfClosed.socketDescriptor()), SHUT_WR);
    QTRY_COMPARE_WITH_TIMEOUT(halfClosed.state(), QAbstractSocket::UnconnectedState, 5000);
    QCOMPARE(halfClosed.readAll(), QByteArray());

    // Silent: closed after the idle time-out.
    QTcpSocket silent;
    silent.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(silent.waitForConnected());
    QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QAbstractSocket::UnconnectedState, 5000);

    // Not reading the body: the file is let go after the time-out, and the body stays short.
    QTcpSocket stalled;
    stalled.setReadBufferSize(64 * 1024);
    stalled.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(stalled.waitForConnected());
    stalled.write(get(QStringLiteral("videos/") + asset + QStringLiteral(".mov")));
    QVERIFY(stalled.waitForBytesWritten());
    QTRY_VERIFY_WITH_TIMEOUT(isOpenInProcess(big), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!isOpenInProcess(big), 5000);
    stalled.setReadBufferSize(0);
    QByteArray received;
    while (stalled.waitForReadyRead(5000))
        received += stalled.readAll();
    received += stalled.readAll();
    QVERIFY(received.startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(received.size() < 16 * 1024 * 1024);
}

void tst_AerialHTTPServer::peerLeavingMidBodyDoesNotStallOthers()
{
    const QString big = downloads(QStringLiteral("big/content.mov"));
    writeFile(big, QByteArray(16 * 1024 * 1024, 'v'));
    writeMap({ { asset, hex }, { QStringLiteral("BIG"), QStringLiteral("big") } });
    const quint16 port = startServer().port();

    QTcpSocket leaving;
    QTcpSocket stalled;
    for (QTcpSocket* socket : { &leaving, &stalled }) {
        socket->setReadBufferSize(64 * 1024);
        // A fixed kernel buffer: autotuning could otherwise take in the whole file.
        socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
        socket->connectToHost(QStringLiteral("127.0.0.1"), port);
        QVERIFY(socket->waitForConnected());
        socket->write(get(QStringLiteral("videos/BIG.mov")));
        QVERIFY(socket->waitForBytesWritten());
    }
    QVERIFY(leaving.waitForReadyRead());
    QVERIFY(stalled.waitForReadyRead());
    leaving.abort();
    // The stalled reader keeps the file open; others are served meanwhile.
    QCOMPARE(
        exchange(port, get(QStringLiteral("videos/") + asset + QStringLiteral(".mov"))).body, QByteArray("0123456789"));
    QVERIFY(isOpenInProcess(big));
    stalled.abort();
    QTRY_VERIFY_WITH_TIMEOUT(!isOpenInProcess(big), 5000);
}

// A peer that ends its side and then resets, as a player giving up on a body
// does, leaves the server's socket broken: the next send must fail, not raise
// SIGPIPE, which would end the whole program.
void tst_AerialHTTPServer::peerClosingAfterReadingDoesNotEndTheProcess()
{
    const QString big = downloads(QStringLiteral("big/content.mov"));
    writeFile(big, QByteArray(16 * 1024 * 1024, 'v'));
    writeMap({ { asset, hex }, { QStringLiteral("BIG"), QStringLiteral("big") } });
    const quint16 port = startServer().port();
    const QByteArray small = get(QStringLiteral("videos/") + asset + QStringLiteral(".mov"));
    // Qt's first socket sets SIGPIPE to ignored for the whole process; count from after it.
    QCOMPARE(exchange(port, small).body, QByteArray("0123456789"));
    const BrokenPipeCounter brokenPipes;

    for (int round = 0; round < 4; ++round) {
        QTcpSocket peer;
        peer.setReadBufferSize(64 * 1024);
        peer.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
        peer.connectToHost(QStringLiteral("127.0.0.1"), port);
        QVERIFY(peer.waitForConnected());
        peer.write(get(QStringLiteral("videos/BIG.mov")));
        QVERIFY(peer.waitForBytesWritten());
        QVERIFY(peer.waitForReadyRead());
        // Our end first (the server's side goes to close-wait), then a reset.
        ::shutdown(int(peer.socketDescriptor()), SHUT_WR);
        peer.abort();
        QTRY_VERIFY_WITH_TIMEOUT(!isOpenInProcess(big), 5000);
    }
    QCOMPARE(brokenPipes.count(), 0);
    QCOMPARE(exchange(port, small).body, QByteArray("0123456789"));
}

// Each connection a local peer resets mid-header fails the server's read the
// same way: the journal gets one line of it a minute, not one per connection.
void tst_AerialHTTPServer::resettingPeersDoNotFloodTheLog()
{
    LogCapture log;
    AerialHTTPServer::Options options { .port = 0, .idleTimeout = 10s, .home = {} };
    options.threads = 2; // the record is the server's, not a thread's
    m_server = std::make_unique<AerialHTTPServer>(options);
    m_server->start();
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    const auto openDescriptors = [&] { return descriptors.entryList(QDir::Files | QDir::System).size(); };
    const qsizetype before = openDescriptors();

    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_server->port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < 200; ++i) {
        const int peer = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QCOMPARE(::connect(peer, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(::send(peer, "GET /vid", 8, MSG_NOSIGNAL), 8);
        const linger reset { 1, 0 };
        ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        ::close(peer);
    }
    // Every reset connection is closed on the server's side.
    QTRY_COMPARE_WITH_TIMEOUT(openDescriptors(), before, 10000);
    QCOMPARE(log.lines().filter(QStringLiteral("recv error")),
        QStringList(QStringLiteral("Lanto AerialHTTPServer: recv error — Connection reset by peer")));
    QCOMPARE(exchange(m_server->port(), get(QStringLiteral("videos/") + asset + QStringLiteral(".mov"))).body,
        QByteArray("0123456789"));
}

// A named pipe where a file or the settings should be must not hold the server.
void tst_AerialHTTPServer::notRegularFilesAreNotServed_data()
{
    QTest::addColumn<QString>("pipe"); // relative to the app support folder
    QTest::newRow("content") << hex + QStringLiteral("/content.mov");
    QTest::newRow("settings") << QStringLiteral("Settings.plist");
}

void tst_AerialHTTPServer::notRegularFilesAreNotServed()
{
    QFETCH(QString, pipe);
    const QString path = pipe.endsWith(QLatin1String(".plist")) ? m_home->appSupportPath() + QLatin1Char('/') + pipe
                                                                 : downloads(pipe);
    QVERIFY(QFile::remove(path));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const quint16 port = startServer().port();
    const Reply reply = exchange(port, get(QStringLiteral("videos/") + asset + QStringLiteral(".mov")));
    QCOMPARE(reply.statusLine(), QByteArray("HTTP/1.1 404 Not Found"));
    QCOMPARE(exchange(port, get(QStringLiteral("thumbnails/") + asset + QStringLiteral(".png"))).statusLine(),
        pipe.endsWith(QLatin1String(".plist")) ? QByteArray("HTTP/1.1 404 Not Found") : QByteArray("HTTP/1.1 200 OK"));
}

void tst_AerialHTTPServer::twoServersShareThePort()
{
    LogCapture log;
    const quint16 port = startServer().port();
    AerialHTTPServer second(AerialHTTPServer::Options { port, 10s, {} });
    second.start();
    const QString listening = QStringLiteral("Lanto AerialHTTPServer: Listening on 127.0.0.1:%1").arg(port);
    QCOMPARE(log.lines(), QStringList({ listening, listening }));
    const QByteArray request = get(QStringLiteral("videos/") + asset + QStringLiteral(".mov"));
    for (int i = 0; i < 8; ++i)
        QCOMPARE(exchange(port, request).body, QByteArray("0123456789"));
    m_server.reset();
    QCOMPARE(exchange(port, request).body, QByteArray("0123456789"));
}

// What keeps one thread from listening: the port held by a socket that does
// not share it, or no descriptor left once the first thread has its own.
void tst_AerialHTTPServer::failedStartCanBeRetried_data()
{
    QTest::addColumn<bool>("outOfDescriptors");
    QTest::addColumn<QString>("error");
    QTest::newRow("port taken") << false << QStringLiteral("Address already in use");
    QTest::newRow("out of descriptors after the first thread") << true << QStringLiteral("Too many open files");
}

void tst_AerialHTTPServer::failedStartCanBeRetried()
{
    QFETCH(bool, outOfDescriptors);
    QFETCH(QString, error);
    LogCapture log;
    auto blocker = std::make_unique<QTcpServer>(); // without SO_REUSEPORT
    QVERIFY(blocker->listen(QHostAddress::LocalHost));
    const quint16 port = blocker->serverPort();
    if (outOfDescriptors)
        blocker.reset();
    AerialHTTPServer::Options options { port, 10s, {} };
    options.threads = 2;
    m_server = std::make_unique<AerialHTTPServer>(options);
    {
        std::optional<DescriptorShortage> shortage;
        if (outOfDescriptors)
            shortage.emplace(1);
        m_server->start();
    }
    QCOMPARE(log.lines(), QStringList(QStringLiteral("Lanto AerialHTTPServer: Failed to start — ") + error));
    if (outOfDescriptors) {
        // The thread that did listen was closed again.
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), port);
        QVERIFY(!probe.waitForConnected(2000));
    }

    blocker.reset();
    m_server->start();
    m_server->start(); // listening already: nothing happens
    QCOMPARE(
        log.lines().mid(1), QStringList(QStringLiteral("Lanto AerialHTTPServer: Listening on 127.0.0.1:%1").arg(port)));
    for (int i = 0; i < 8; ++i)
        QCOMPARE(exchange(port, get(QStringLiteral("thumbnails/") + asset + QStringLiteral(".png"))).body,
            QByteArray("poster"));
}

void tst_AerialHTTPServer::assetURLs()
{
    const AerialHTTPServer server;
    QCOMPARE(server.videoURL(asset), QStringLiteral("http://127.0.0.1:24681/videos/") + asset + QStringLiteral(".mov"));
    QCOMPARE(server.thumbnailURL(asset),
        QStringLiteral("http://127.0.0.1:24681/thumbnails/") + asset + QStringLiteral(".png"));
}

QTEST_GUILESS_MAIN(tst_AerialHTTPServer)
#include "tst_aerialhttpserver.moc"
