// Bad input gets a clear answer and changes nothing.
#include "ServiceRig.h"
#include "SessionTokenStore.h"

#include <QJsonDocument>
#include <QTcpSocket>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

using Headers = QList<std::pair<QByteArray, QByteArray>>;

// What comes back on a raw connection until it closes or the deadline
// passes. The service runs on this thread, so the waits run its events.
QByteArray exchangeRaw(quint16 port, const QByteArray& bytes)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(bytes);
    QByteArray answer;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && socket.state() != QAbstractSocket::UnconnectedState) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        answer += socket.readAll();
    }
    return answer + socket.readAll();
}

} // namespace

class TestLocalServiceRefusals : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void refusals_data();
    void refusals();
    void bodyRefusals_data();
    void bodyRefusals();
    void oversizedBodyIsRefusedBeforeItIsRead();
    void continueIsAnsweredBeforeTheBody();
    void multipartOrder_data();
    void multipartOrder();
    void fileRanges_data();
    void fileRanges();

private:
    QString createDraft();
    // A draft of another account with a thumbnail.
    QString foreignDraft();
    QString draftWithThumbnail();

    std::unique_ptr<ServiceRig> m_rig;
    QByteArray m_token;
    QString m_user;
};

void TestLocalServiceRefusals::init()
{
    m_rig = std::make_unique<ServiceRig>();
    const QString code = m_rig->service->accounts().issueSignInCode(u"local.test"_s, u"Tess"_s);
    const std::optional<AuthCodeExchangeResponse> exchanged = m_rig->service->accounts().exchange(code, {});
    QVERIFY(exchanged);
    m_token = exchanged->sessionToken.toLatin1();
    SessionTokenStore::save(exchanged->sessionToken);
    m_user = exchanged->profileId;
}

QString TestLocalServiceRefusals::draftWithThumbnail()
{
    const QString id = createDraft();
    m_rig->service->submissions().putFile(m_user, id, u"thumbnail"_s, "image/jpeg", "jpeg");
    return id;
}

QString TestLocalServiceRefusals::foreignDraft()
{
    Accounts& accounts = m_rig->service->accounts();
    const auto other = accounts.exchange(accounts.issueSignInCode(u"local.other"_s, u"Olga"_s), {});
    const auto draft = m_rig->service->submissions().create(
        other->profileId, SubmissionCreate { u"Hers"_s, u"space"_s, u"video"_s, 8, 8, 8 });
    m_rig->service->submissions().putFile(other->profileId, draft.value().id, u"thumbnail"_s, "image/jpeg", "jpeg");
    return draft.value().id;
}

QString TestLocalServiceRefusals::createDraft()
{
    return m_rig->await(m_rig->client->createSubmission(SubmissionCreate { u"D"_s, u"space"_s, u"video"_s, 8, 8, 8 }))
        .id;
}

void TestLocalServiceRefusals::refusals_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");

    QTest::newRow("profile without a token") << "GET"_ba << u"/api/v1/me"_s << QByteArray() << false << 401 << QString();
    QTest::newRow("profile with a wrong token") << "GET"_ba << u"/api/v1/me"_s << QByteArray() << false << 401 << QString();
    QTest::newRow("malformed JSON") << "PATCH"_ba << u"/api/v1/me"_s << "{\"name\":"_ba << true << 400 << QString();
    QTest::newRow("a field of the wrong type") << "PATCH"_ba << u"/api/v1/me"_s << "{\"handle\":7}"_ba << true << 400 << QString();
    QTest::newRow("an empty name") << "PATCH"_ba << u"/api/v1/me"_s << "{\"name\":\"  \"}"_ba << true << 400 << QString();
    QTest::newRow("a handle of the wrong form") << "PATCH"_ba << u"/api/v1/me"_s << "{\"handle\":\"a b\"}"_ba << true
                                                << 400 << QString();
    QTest::newRow("a handle with a period") << "PATCH"_ba << u"/api/v1/me"_s << "{\"handle\":\"ana.pixels\"}"_ba
                                            << true << 400 << QString();
    QTest::newRow("a handle in capitals") << "PATCH"_ba << u"/api/v1/me"_s << "{\"handle\":\"Tess_B\"}"_ba << true
                                          << 400 << QString();
    QTest::newRow("a handle that starts with a digit")
        << "PATCH"_ba << u"/api/v1/me"_s << "{\"handle\":\"9tess\"}"_ba << true << 400 << QString();
    QTest::newRow("a handle of 21 characters")
        << "PATCH"_ba << u"/api/v1/me"_s << "{\"handle\":\"tess_abcdefghijklmnop\"}"_ba << true << 400 << QString();
    QTest::newRow("an unknown wallpaper") << "GET"_ba << u"/api/v1/wallpapers/ffff"_s << QByteArray() << false << 404 << QString();
    QTest::newRow("an unknown category") << "GET"_ba << u"/api/v1/wallpapers?category=opera"_s << QByteArray()
                                         << false << 400 << QString();
    QTest::newRow("a page that is not a number") << "GET"_ba << u"/api/v1/wallpapers?category=space&page=x"_s
                                                 << QByteArray() << false << 400 << QString();
    QTest::newRow("an unknown usage event") << "POST"_ba << u"/api/v1/wallpapers/ffff/steal"_s << QByteArray()
                                            << false << 404 << QString();
    QTest::newRow("a favourite of nothing") << "POST"_ba << u"/api/v1/me/favorites/ffff"_s << QByteArray() << true
                                            << 404 << QString();
    QTest::newRow("a submission in an unknown category")
        << "POST"_ba << u"/api/v1/me/wallpapers"_s
        << R"({"title":"T","categoryId":"opera","type":"video","resolutionWidth":1,"resolutionHeight":1,"fileSize":1})"_ba
        << true << 400 << QString();
    QTest::newRow("someone else's submission") << "POST"_ba << u"/api/v1/me/wallpapers/abc/submit"_s << QByteArray()
                                               << true << 404 << QString();
    QTest::newRow("a spent or unknown sign-in code") << "POST"_ba << u"/api/v1/auth/exchange"_s << "{\"code\":\"x\"}"_ba
                                                     << false << 400 << QString();
    QTest::newRow("a path out of the files") << "GET"_ba << u"/files/..%2F..%2Flanto-service.sqlite/x"_s
                                             << QByteArray() << false << 404 << QString();
    QTest::newRow("a file the store does not know") << "GET"_ba << u"/files/avatars/lanto-service.sqlite"_s
                                                    << QByteArray() << false << 404 << QString();
    QTest::newRow("an authorize page for another site")
        << "GET"_ba << u"/auth/authorize?response_type=code&redirect_uri=https%3A%2F%2Fevil.example%2Fcb"_s
        << QByteArray() << false << 400 << QString();
    QTest::newRow("no such endpoint") << "GET"_ba << u"/api/v1/nothing"_s << QByteArray() << false << 404 << QString();
    QTest::newRow("a handle with a period, and the rule it breaks")
        << "PATCH"_ba << u"/api/v1/me"_s << "{\"handle\":\"ana.pixels\"}"_ba << true << 400
        << u"Handles start with a letter and use only lowercase letters, digits and underscores"_s;
    QTest::newRow("a name of 81 characters") << "PATCH"_ba << u"/api/v1/me"_s
                                             << "{\"name\":\"" + QByteArray(81, 'n') + "\"}" << true << 400
                                             << u"A name is 1 to 80 characters long"_s;
    QTest::newRow("a name of 5,000,000 characters")
        << "PATCH"_ba << u"/api/v1/me"_s << "{\"name\":\"" + QByteArray(5'000'000, 'n') + "\"}" << true << 400
        << u"A name is 1 to 80 characters long"_s;
    QTest::newRow("a bio of 501 characters") << "PATCH"_ba << u"/api/v1/me"_s
                                             << "{\"bio\":\"" + QByteArray(501, 'b') + "\"}" << true << 400
                                             << u"A bio is at most 500 characters long"_s;
    QTest::newRow("a link of 301 characters") << "PATCH"_ba << u"/api/v1/me"_s
                                              << "{\"link\":\"" + QByteArray(301, 'l') + "\"}" << true << 400
                                              << u"A link is at most 300 characters long"_s;
    QTest::newRow("an avatar colour that is not one")
        << "PATCH"_ba << u"/api/v1/me"_s << "{\"avatarColor\":\"red\"}"_ba << true << 400 << QString();
    QTest::newRow("a title of 201 characters")
        << "POST"_ba << u"/api/v1/me/wallpapers"_s
        << R"({"title":")" + QByteArray(201, 't')
            + R"(","categoryId":"space","type":"video","resolutionWidth":1,"resolutionHeight":1,"fileSize":1})"
        << true << 400 << QString();
    QTest::newRow("a sign-in name of 81 characters")
        << "POST"_ba << u"/auth/authorize"_s
        << "redirect_uri=" + QUrl::toPercentEncoding(u"{origin}/api/v1/auth/apple/callback"_s) + "&name="
            + QByteArray(81, 'n')
        << false << 400 << QString();
    QTest::newRow("an unknown file of a draft") << "GET"_ba << u"/files/{own}/poster.png"_s << QByteArray() << true
                                                << 404 << QString();
    QTest::newRow("a draft's file without a token") << "GET"_ba << u"/files/{own}/thumbnail.jpg"_s << QByteArray()
                                                    << false << 404 << QString();
    QTest::newRow("a draft's file for its owner") << "GET"_ba << u"/files/{own}/thumbnail.jpg"_s << QByteArray()
                                                  << true << 200 << QString();
    QTest::newRow("another account's draft file") << "GET"_ba << u"/files/{foreign}/thumbnail.jpg"_s << QByteArray()
                                                  << true << 404 << QString();
}

void TestLocalServiceRefusals::refusals()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(bool, signedIn);
    QFETCH(int, status);
    QFETCH(QString, error);

    path.replace(u"{own}"_s, path.contains(u"{own}"_s) ? draftWithThumbnail() : QString());
    path.replace(u"{foreign}"_s, path.contains(u"{foreign}"_s) ? foreignDraft() : QString());
    body.replace("%7Borigin%7D", QUrl::toPercentEncoding(m_rig->service->origin()));
    const Headers headers { { "Authorization", signedIn ? "Bearer " + m_token : "Bearer nobody"_ba },
        { "Content-Type", path.startsWith(u"/auth/"_s) ? "application/x-www-form-urlencoded" : "application/json" } };
    const ServiceRig::Answer answer = m_rig->fetch(method, path, body, headers);
    QCOMPARE(answer.status, status);
    if (!path.startsWith(u"/auth/"_s) && status >= 400) {
        const QJsonObject envelope = QJsonDocument::fromJson(answer.body).object();
        QCOMPARE(envelope.value("ok"_L1), QJsonValue(false));
        QVERIFY(!envelope.value("error"_L1).toString().isEmpty());
        if (!error.isEmpty())
            QCOMPARE(envelope.value("error"_L1).toString(), error);
    }
    // Nothing changed: the account is as it was.
    const UserProfile profile = m_rig->await(m_rig->client->fetchProfile());
    QCOMPARE(profile.name, u"Tess"_s);
    QVERIFY(!profile.handle);
}

void TestLocalServiceRefusals::bodyRefusals_data()
{
    QTest::addColumn<QByteArray>("framing"); // the body's headers
    QTest::addColumn<qint64>("size"); // of the body sent after the head, framed
    QTest::addColumn<bool>("answeredFirst"); // after a small chunked PUT answered on the same connection
    QTest::addColumn<int>("status");

    const qint64 over = LocalHttpServer::maximumBody + 1024 * 1024;
    const QByteArray length = "Content-Length: " + QByteArray::number(over) + "\r\n";
    const QByteArray chunked = "Transfer-Encoding: chunked\r\n";
    const QByteArray expect = "Expect: 100-continue\r\n";
    QTest::newRow("declared too large") << length << over << false << 413;
    QTest::newRow("declared too large, with Expect") << length + expect << over << false << 413;
    QTest::newRow("chunks adding up to too much") << chunked << over << false << 413;
    QTest::newRow("chunks adding up to too much, with Expect") << chunked + expect << over << false << 413;
    QTest::newRow("chunks after an answered chunked request")
        << chunked + expect << over << true << 413;
    QTest::newRow("one chunk declared too large") << chunked << -over << false << 413;
    QTest::newRow("length and chunks together") << length + chunked << qint64(10) << false << 400;
    QTest::newRow("another transfer coding") << "Transfer-Encoding: gzip, chunked\r\n"_ba << qint64(10) << false << 501;
    QTest::newRow("a folded header line") << "X-Note: a\r\n Content-Length: 5\r\n"_ba << qint64(0) << false << 400;
}

void TestLocalServiceRefusals::bodyRefusals()
{
    QFETCH(QByteArray, framing);
    QFETCH(qint64, size);
    QFETCH(bool, answeredFirst);
    QFETCH(int, status);

    const QString draft = createDraft();
    const QByteArray head = "PUT /api/v1/me/wallpapers/" + draft.toLatin1()
        + "/files/content HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + m_token
        + "\r\nContent-Type: video/quicktime\r\n";
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_rig->port);
    QVERIFY(socket.waitForConnected(5000));
    QByteArray answer;
    if (answeredFirst) {
        socket.write(head + "Transfer-Encoding: chunked\r\n\r\n4\r\nmoov\r\n0\r\n\r\n");
        QTRY_VERIFY_WITH_TIMEOUT((answer += socket.readAll()).contains("\"ok\":true"), 10000);
        answer.clear();
    }
    socket.write(head + framing + "\r\n");
    const bool chunks = framing.contains("chunked") && !framing.contains("Content-Length");
    if (framing.contains("Expect") && chunks)
        QTRY_VERIFY_WITH_TIMEOUT((answer += socket.readAll()).contains("HTTP/1.1 100 Continue"), 10000);
    // The body in 1 MiB pieces while the service still takes it (a negative size: one chunk of that size).
    const QByteArray piece(1024 * 1024, 'b');
    if (size < 0)
        socket.write(QByteArray::number(-size, 16) + "\r\n" + piece);
    for (qint64 sent = 0; sent < size && socket.state() == QAbstractSocket::ConnectedState; sent += piece.size()) {
        socket.write(chunks ? "100000\r\n" + piece + "\r\n" : piece);
        socket.waitForBytesWritten(100);
        QCoreApplication::processEvents();
        answer += socket.readAll();
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        (answer += socket.readAll()).contains("HTTP/1.1 " + QByteArray::number(status)), 10000);
    QVERIFY(answer.contains("\"ok\":false"));
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, 10000);
    QCOMPARE(m_rig->service->store()
                 .value(u"SELECT COUNT(*) FROM media_files WHERE media_id = ? AND slot = 'content'"_s, { draft })
                 ->toInt(),
        answeredFirst ? 1 : 0);
}

void TestLocalServiceRefusals::oversizedBodyIsRefusedBeforeItIsRead()
{
    const QString id = createDraft();
    const QByteArray head = "PUT /api/v1/me/wallpapers/" + id.toLatin1()
        + "/files/content HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + m_token
        + "\r\nContent-Type: video/quicktime\r\nContent-Length: " + QByteArray::number(LocalHttpServer::maximumBody + 1)
        + "\r\n\r\n";
    // Only the head is sent: the answer must not wait for a body it will never take.
    const QByteArray answer = exchangeRaw(m_rig->port, head + QByteArray(1000, 'x'));
    QVERIFY2(answer.startsWith("HTTP/1.1 413"), answer.constData());
    QVERIFY(answer.contains("\"ok\":false"));
    QCOMPARE(m_rig->service->store().value(u"SELECT COUNT(*) FROM media_files"_s)->toInt(), 0);
}

void TestLocalServiceRefusals::continueIsAnsweredBeforeTheBody()
{
    const QByteArray head = "POST /api/v1/auth/exchange HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\n"
                            "Content-Type: application/json\r\nContent-Length: 12\r\n\r\n";
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_rig->port);
    QVERIFY(socket.waitForConnected(5000));
    socket.write(head);
    QByteArray interim;
    QTRY_VERIFY_WITH_TIMEOUT((interim += socket.readAll()).contains("100 Continue"), 10000);
    socket.write("{\"code\":\"\"}\n");
    QByteArray answer;
    QTRY_VERIFY_WITH_TIMEOUT((answer += socket.readAll()).contains("\"ok\":false"), 10000);
    QVERIFY(answer.contains("HTTP/1.1 400"));
}

void TestLocalServiceRefusals::multipartOrder_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("status");
    // i: init; p<n>[s]: put part n (s: short); c<list>: complete listing those parts.
    QTest::newRow("parts out of order complete") << u"i p3s p1 p2 c123"_s << 200;
    QTest::newRow("a part sent twice keeps the last") << u"i p1 p1 p2s c12"_s << 200;
    QTest::newRow("a part before init") << u"p1"_s << 404;
    QTest::newRow("complete with a missing part") << u"i p1 p3s c13"_s << 400;
    QTest::newRow("complete listing a part never sent") << u"i p1 c12"_s << 400;
    QTest::newRow("a short part that is not the last") << u"i p1s p2s c12"_s << 400;
    QTest::newRow("a part after complete") << u"i p1s c1 p2"_s << 409;
    QTest::newRow("part number zero") << u"i p0"_s << 400;
}

void TestLocalServiceRefusals::multipartOrder()
{
    QFETCH(QString, script);
    QFETCH(int, status);

    const QString id = createDraft();
    Submissions& submissions = m_rig->service->submissions();
    const QString user = *m_rig->service->accounts().userForToken(QString::fromLatin1(m_token));
    QString uploadId = u"none"_s, key = u"wallpapers/"_s + id + u"/content"_s;
    QMap<qint64, QString> etags;
    int last = 200;
    const QByteArray full(Submissions::partSize, 'f');
    for (const QString& step : script.split(u' ')) {
        if (step == "i"_L1) {
            const auto init = submissions.startUpload(user, id, u"content"_s, "video/quicktime");
            QVERIFY(init);
            uploadId = init.value().uploadId;
            last = 200;
        } else if (step.startsWith(u'p')) {
            const qint64 number = step.mid(1, 1).toLongLong();
            const QByteArray bytes = step.endsWith(u's') ? QByteArray(10, char('0' + number)) : full;
            const auto part = submissions.putPart(user, id, u"content"_s, uploadId, key, number, bytes);
            last = part ? 200 : part.refusal().status;
            if (part)
                etags[number] = part.value().etag;
        } else {
            CompleteBody body { uploadId, key, {} };
            for (QChar digit : step.mid(1))
                body.parts.append({ digit.digitValue(), etags.value(digit.digitValue(), u"?"_s) });
            const auto done = submissions.completeUpload(user, id, u"content"_s, body);
            last = done ? 200 : done.refusal().status;
        }
    }
    QCOMPARE(last, status);
    const bool stored = m_rig->service->store()
                            .value(u"SELECT 1 FROM media_files WHERE media_id = ? AND slot = 'content'"_s, { id })
                            .has_value();
    QCOMPARE(stored, script.contains(u" c"_s) && status == 200 ? true : stored);
}

void TestLocalServiceRefusals::fileRanges_data()
{
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentRange");

    QTest::newRow("whole") << QByteArray() << 200 << "0123456789"_ba << QByteArray();
    QTest::newRow("first bytes") << "bytes=0-3"_ba << 206 << "0123"_ba << "bytes 0-3/10"_ba;
    QTest::newRow("open end") << "bytes=7-"_ba << 206 << "789"_ba << "bytes 7-9/10"_ba;
    QTest::newRow("suffix") << "bytes=-2"_ba << 206 << "89"_ba << "bytes 8-9/10"_ba;
    QTest::newRow("end past the file") << "bytes=8-100"_ba << 206 << "89"_ba << "bytes 8-9/10"_ba;
    QTest::newRow("start past the file") << "bytes=10-"_ba << 416 << QByteArray() << "bytes */10"_ba;
    QTest::newRow("backwards") << "bytes=5-2"_ba << 416 << QByteArray() << "bytes */10"_ba;
    QTest::newRow("several ranges give the whole") << "bytes=0-1,4-5"_ba << 200 << "0123456789"_ba << QByteArray();
}

void TestLocalServiceRefusals::fileRanges()
{
    QFETCH(QByteArray, range);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentRange);

    QVERIFY(m_rig->service->media().writeFile(u"m1"_s, u"content.mov"_s, "0123456789"));
    QVERIFY(m_rig->service->store().run(
        u"INSERT INTO media_files VALUES ('m1', 'content', 'content.mov', 'video/quicktime', 10)"_s));
    Headers headers;
    if (!range.isEmpty())
        headers.append({ "Range", range });
    const ServiceRig::Answer answer = m_rig->fetch("GET", u"/files/m1/content.mov"_s, {}, headers);
    QCOMPARE(answer.status, status);
    QCOMPARE(answer.header("Content-Range"), contentRange);
    if (status != 416)
        QCOMPARE(answer.body, body);
    QCOMPARE(m_rig->fetch("HEAD", u"/files/m1/content.mov"_s).header("Content-Length"), "10"_ba);
}

QTEST_GUILESS_MAIN(TestLocalServiceRefusals)
#include "tst_localservicerefusals.moc"
