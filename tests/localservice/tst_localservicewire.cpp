// The service on the wire, as a client on a plain socket sees it: answers in
// request order and whole, connections closed when asked, and clients that do
// not read, trickle or flood held to bounded memory and time.
#include "ProcessMemory.h"
#include "ServiceRig.h"

#include <QRegularExpression>
#include <QtTest>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qint64 MiB = 1024 * 1024;

// A client on a non-blocking socket. The service runs on this thread, so
// every wait runs its events.
class RawClient
{
public:
    explicit RawClient(quint16 port) : m_fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
    }
    ~RawClient() { ::close(m_fd); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return m_connected; }
    void queue(const QByteArray& bytes) { m_pending += bytes; }
    bool sendingDone() const { return m_sent == m_pending.size(); }
    QByteArray received() const { return m_received; }
    // Whether the service ended the connection: nothing more comes, or nothing more is taken.
    bool closed() const { return m_ended || m_sendFailed; }
    bool sendFailed() const { return m_sendFailed; }

    // One turn: the service's events, then what the socket takes and gives without waiting.
    void turn(bool reading)
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        while (!m_sendFailed && m_sent < m_pending.size()) {
            const qsizetype step = qMin<qsizetype>(m_pending.size() - m_sent, 256 * 1024);
            const ssize_t n = ::send(m_fd, m_pending.constData() + m_sent, size_t(step), MSG_NOSIGNAL);
            if (n <= 0) {
                m_sendFailed = errno != EAGAIN;
                break;
            }
            m_sent += n;
        }
        if (m_sent == m_pending.size()) {
            // Sent bytes are not kept: a flood costs this process nothing.
            m_pending.clear();
            m_sent = 0;
        }
        char buffer[64 * 1024];
        while (reading && !m_ended) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EAGAIN)
                break;
            if (n <= 0)
                m_ended = true;
            else
                m_received.append(buffer, n);
        }
        pollfd hangUp { m_fd, POLLRDHUP, 0 };
        if (!reading && ::poll(&hangUp, 1, 0) > 0 && (hangUp.revents & (POLLHUP | POLLERR | POLLRDHUP)))
            m_ended = true;
    }

    // Turns until the condition holds or the time is up; whether it holds.
    template <typename Condition> bool turnUntil(Condition condition, int milliseconds, bool reading = true)
    {
        QDeadlineTimer deadline(milliseconds);
        while (!condition() && !deadline.hasExpired())
            turn(reading);
        return condition();
    }

private:
    int m_fd;
    bool m_connected = false;
    bool m_ended = false;
    bool m_sendFailed = false;
    QByteArray m_pending;
    qsizetype m_sent = 0;
    QByteArray m_received;
};

struct Answer
{
    int status = 0;
    QByteArray head;
    QByteArray body;
};

// The answers one after another as their heads frame them, the first
// `bodiless` ones (to HEAD) without their bodies; an answer cut short ends the list.
QList<Answer> answersIn(QByteArray bytes, int bodiless = 0)
{
    QList<Answer> answers;
    static const QRegularExpression statusLine(u"^HTTP/1\\.1 (\\d{3}) "_s);
    static const QRegularExpression length(u"\r\nContent-Length: (\\d+)\r\n"_s);
    while (true) {
        const qsizetype end = bytes.indexOf("\r\n\r\n");
        if (end < 0)
            return answers;
        Answer answer;
        answer.head = bytes.left(end + 2);
        const QString head = QString::fromLatin1(answer.head);
        answer.status = statusLine.match(head).captured(1).toInt();
        const qsizetype size = answers.size() < bodiless ? 0 : length.match(head).captured(1).toLongLong();
        if (bytes.size() < end + 4 + size)
            return answers;
        answer.body = bytes.mid(end + 4, size);
        bytes.remove(0, end + 4 + size);
        answers.append(answer);
    }
}

QByteArray upload(qint64 length, const QByteArray& connection = "keep-alive")
{
    return "PUT /api/v1/me/wallpapers/w/files/content HTTP/1.1\r\nHost: x\r\nContent-Type: video/quicktime\r\n"
           "Connection: " + connection + "\r\nContent-Length: " + QByteArray::number(length) + "\r\n\r\n";
}

const QByteArray tags = "GET /api/v1/tags HTTP/1.1\r\nHost: x\r\n\r\n";
const QByteArray tagsThenClose = "GET /api/v1/tags HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";

} // namespace

class TestLocalServiceWire : public QObject
{
    Q_OBJECT

private slots:
    void answersAsHttpSays_data();
    void answersAsHttpSays();
};

enum class Client {
    reads, // reads every answer
    readsNothing, // pipelines many requests and never reads
    trickles, // most of a body at once, then a byte now and then
    floods, // sends on after its 413
};
Q_DECLARE_METATYPE(Client)

void TestLocalServiceWire::answersAsHttpSays_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<Client>("client");
    QTest::addColumn<QList<int>>("statuses");

    QTest::newRow("a file of 2.6 MB then JSON, pipelined")
        << "GET /files/m1/content.mov HTTP/1.1\r\nHost: x\r\n\r\n"_ba + tagsThenClose << Client::reads
        << QList<int> { 200, 200 };
    QTest::newRow("Connection: close") << tagsThenClose << Client::reads << QList<int> { 200 };
    QTest::newRow("a refusal with Connection: close")
        << "GET /nowhere HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"_ba << Client::reads << QList<int> { 404 };
    QTest::newRow("HTTP/1.0") << "GET /api/v1/tags HTTP/1.0\r\n\r\n"_ba << Client::reads << QList<int> { 200 };
    QTest::newRow("HTTP/1.0 keep-alive, then HTTP/1.0")
        << "GET /api/v1/tags HTTP/1.0\r\nConnection: keep-alive\r\n\r\nGET /api/v1/tags HTTP/1.0\r\n\r\n"_ba
        << Client::reads << QList<int> { 200, 200 };
    QTest::newRow("HEAD then GET of a file, pipelined")
        << "HEAD /files/m1/content.mov HTTP/1.1\r\nHost: x\r\n\r\nGET /files/m1/content.mov HTTP/1.1\r\nHost: x\r\n"
           "Range: bytes=0-9\r\nConnection: close\r\n\r\n"_ba
        << Client::reads << QList<int> { 200, 206 };
    QTest::newRow("answers never read")
        << "GET /api/v1/wallpapers?category=space HTTP/1.1\r\nHost: x\r\n\r\n"_ba.repeated(3000) << Client::readsNothing
        << QList<int>();
    QTest::newRow("a body that trickles") << upload(16 * MiB) + QByteArray(15 * MiB, 'b') << Client::trickles
                                          << QList<int> { 408 };
    QTest::newRow("200 MiB sent on after a 413")
        << "PUT /api/v1/me/wallpapers/w/files/content HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n"
           "Expect: 100-continue\r\n\r\n"_ba
        << Client::floods << QList<int> { 100, 413 };
}

void TestLocalServiceWire::answersAsHttpSays()
{
    QFETCH(QByteArray, sent);
    QFETCH(Client, client);
    QFETCH(QList<int>, statuses);

    ServiceRig rig([](LocalService::Options& options) {
        options.limits.connection.sendTime = std::chrono::seconds(1);
        // Long enough for another upload to find the budget held while every core is busy.
        options.limits.connection.bodyWindow = std::chrono::seconds(3);
        options.limits.bodyBudget = 20 * MiB;
    });
    QByteArray file(2'600'000, Qt::Uninitialized);
    for (qsizetype i = 0; i < file.size(); ++i)
        file[i] = char(i * 7 / 3);
    QVERIFY(rig.service->media().writeFile(u"m1"_s, u"content.mov"_s, file));
    QVERIFY(rig.service->store().run(u"INSERT INTO media_files VALUES ('m1', 'content', 'content.mov', "
                                     "'video/quicktime', 2600000)"_s));
    Accounts& accounts = rig.service->accounts();
    const auto owner = accounts.exchange(accounts.issueSignInCode(u"local.owner"_s, u"Owner"_s), {});
    QVERIFY(owner);
    for (int i = 0; i < 60; ++i) {
        WallpaperEntry entry;
        entry.id = u"w%1"_s.arg(i);
        entry.ownerId = owner->profileId;
        entry.title = QString(800, u'T');
        entry.type = u"video"_s;
        entry.category = u"space"_s;
        entry.status = u"approved"_s;
        entry.mediaId = u"m1"_s;
        QVERIFY(rig.service->catalogue().add(entry));
    }
    const qint64 residentBefore = ProcessMemory::residentKB();
    ProcessMemory::resetPeak();

    RawClient raw(rig.port);
    QVERIFY(raw.connected());
    raw.queue(sent);
    const auto newUploadStatus = [&] {
        RawClient other(rig.port);
        other.queue(upload(6 * MiB, "close") + QByteArray(6 * MiB, 'u'));
        other.turnUntil([&] { return other.closed(); }, 10000);
        return answersIn(other.received()).value(0).status;
    };
    switch (client) {
    case Client::reads:
        QVERIFY2(raw.turnUntil([&] { return raw.closed(); }, 10000), "the service closes the connection at once");
        break;
    case Client::readsNothing: {
        raw.turnUntil([&] { return raw.closed(); }, 300, false);
        QVERIFY(!raw.closed());
        // Held, it keeps nobody else out.
        QCOMPARE(rig.fetch("GET", u"/api/v1/tags"_s).status, 200);
        QVERIFY2(raw.turnUntil([&] { return raw.closed(); }, 10000, false), "an answer never taken ends it");
        break;
    }
    case Client::trickles: {
        QVERIFY(raw.turnUntil([&] { return raw.sendingDone(); }, 10000));
        QCOMPARE(newUploadStatus(), 503); // the budget is held
        QElapsedTimer sinceByte;
        sinceByte.start();
        QVERIFY2(raw.turnUntil([&] {
            if (sinceByte.elapsed() > 200) {
                raw.queue("b");
                sinceByte.restart();
            }
            return raw.closed();
        }, 10000), "a body under the rate is given up");
        QCOMPARE(newUploadStatus(), 401); // read whole, then refused for want of a token
        break;
    }
    case Client::floods: {
        // As clients that ask do, the body waits for the go-ahead.
        QVERIFY(raw.turnUntil([&] { return raw.received().contains("100 Continue"); }, 5000));
        const QByteArray chunk = QByteArray::number(MiB, 16) + "\r\n" + QByteArray(MiB, 'f') + "\r\n";
        int chunks = 0;
        for (; chunks < 200 && !raw.sendFailed(); ++chunks) {
            raw.queue(chunk);
            raw.turnUntil([&] { return raw.sendingDone() || raw.sendFailed(); }, 10000);
        }
        QCOMPARE(chunks, 200);
        QVERIFY(raw.turnUntil([&] { return raw.closed(); }, 10000));
        break;
    }
    }

    const qint64 grownMB = (ProcessMemory::peakKB() - residentBefore) / 1024;
    QVERIFY2(grownMB < (client == Client::readsNothing ? 32 : 64), qPrintable(u"the service grew by %1 MB"_s.arg(grownMB)));
    const QList<Answer> answers = answersIn(raw.received(), sent.startsWith("HEAD") ? 1 : 0);
    QList<int> seen;
    static const QRegularExpression date(u"\r\nDate: [A-Z][a-z]{2}, \\d{2} [A-Z][a-z]{2} \\d{4} \\d{2}:\\d{2}:\\d{2} GMT\r\n"_s);
    for (const Answer& answer : answers) {
        seen.append(answer.status);
        if (answer.status >= 200)
            QVERIFY2(date.match(QString::fromLatin1(answer.head)).hasMatch(), answer.head.constData());
    }
    QCOMPARE(seen, statuses);
    if (client != Client::reads)
        return;
    qsizetype framed = 0;
    for (const Answer& answer : answers)
        framed += answer.head.size() + 2 + answer.body.size();
    // Nothing after the last answer, and each body whole.
    QCOMPARE(framed, raw.received().size());
    if (sent.startsWith("GET /files/m1/"))
        QVERIFY(answers.first().body == file);
    if (sent.startsWith("HEAD"))
        QCOMPARE(answers.last().body, file.left(10));
    const bool keptAlive = sent.contains("Connection: keep-alive");
    QCOMPARE(answers.first().head.contains("\r\nConnection: keep-alive"), keptAlive);
    QVERIFY(answers.last().head.contains("\r\nConnection: close"));
}

QTEST_GUILESS_MAIN(TestLocalServiceWire)
#include "tst_localservicewire.moc"
