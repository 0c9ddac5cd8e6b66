// What the service keeps within bounds: its connections and descriptors
// against a client that holds many open, and the disk an account's
// unfinished work takes.
#include "ServiceRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QtTest>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <ctime>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int heldConnections = 1100;

// A child process that opens that many connections, each with half a request
// head, says so on `ready` and holds them until `release` closes.
pid_t holdConnections(quint16 port, const int (&ready)[2], const int (&release)[2])
{
    const pid_t child = fork();
    if (child != 0) {
        ::close(ready[1]);
        ::close(release[0]);
        return child;
    }
    // Only system calls from here: the child of a threaded process.
    ::close(ready[0]);
    ::close(release[1]);
    rlimit enough {};
    getrlimit(RLIMIT_NOFILE, &enough);
    enough.rlim_cur = std::min<rlim_t>(4096, enough.rlim_max);
    setrlimit(RLIMIT_NOFILE, &enough);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    static const char half[] = "GET /api/v1/tags HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < heldConnections; ++i) {
        const int connection = socket(AF_INET, SOCK_STREAM, 0);
        if (connection < 0 || connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            break;
        [[maybe_unused]] const ssize_t sent = write(connection, half, sizeof half - 1);
    }
    [[maybe_unused]] const ssize_t told = write(ready[1], "h", 1);
    char byte;
    [[maybe_unused]] const ssize_t released = read(release[0], &byte, 1);
    _exit(0);
}

int openDescriptors() { return int(QDir(u"/proc/self/fd"_s).entryList(QDir::Files | QDir::System).size()); }

} // namespace

class TestLocalServiceLimits : public QObject
{
    Q_OBJECT

private slots:
    void heldConnectionsNeverKeepANewClientOut_data();
    void heldConnectionsNeverKeepANewClientOut();
    void accountDiskStaysBounded();
    void theDiskKeepsItsFloor();
    void favouriteCountsMoveByOne();

private:
    QString signIn(ServiceRig& rig, const QString& name);
};

QString TestLocalServiceLimits::signIn(ServiceRig& rig, const QString& name)
{
    Accounts& accounts = rig.service->accounts();
    const auto exchanged = accounts.exchange(accounts.issueSignInCode(u"local."_s + name, name), {});
    return exchanged ? exchanged->profileId : QString();
}

void TestLocalServiceLimits::heldConnectionsNeverKeepANewClientOut_data()
{
    QTest::addColumn<int>("limit");
    // Either would be passed by the held connections alone.
    QTest::newRow("the usual descriptor limit") << 1024;
    QTest::newRow("a limit near the descriptors already open") << 96;
}

void TestLocalServiceLimits::heldConnectionsNeverKeepANewClientOut()
{
    QFETCH(int, limit);
    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const rlimit usual { rlim_t(limit), saved.rlim_max };
    QCOMPARE(setrlimit(RLIMIT_NOFILE, &usual), 0);
    const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_NOFILE, &saved); });

    ServiceRig rig;
    int ready[2], release[2];
    QCOMPARE(pipe(ready), 0);
    QCOMPARE(pipe(release), 0);
    const pid_t holder = holdConnections(rig.port, ready, release);
    QVERIFY(holder > 0);
    const auto endHolder = qScopeGuard([&] {
        ::close(release[1]);
        ::close(ready[0]);
        waitpid(holder, nullptr, 0);
    });
    // The service accepts while the holder connects.
    QSocketNotifier held(ready[0], QSocketNotifier::Read);
    QSignalSpy heldSpy(&held, &QSocketNotifier::activated);
    QVERIFY(heldSpy.wait(30000));
    QCoreApplication::processEvents();

    QElapsedTimer waited;
    waited.start();
    const ServiceRig::Answer answer = rig.fetch("GET", u"/api/v1/tags"_s);
    QCOMPARE(answer.status, 200);
    QVERIFY2(waited.elapsed() < 2000, qPrintable(u"the new client waited %1 ms"_s.arg(waited.elapsed())));
    QVERIFY(openDescriptors() < limit);
}

void TestLocalServiceLimits::accountDiskStaysBounded()
{
    ServiceRig rig;
    Submissions& submissions = rig.service->submissions();
    ServiceStore& store = rig.service->store();
    const QString user = signIn(rig, u"Dora"_s);
    const SubmissionCreate draft { u"D"_s, u"space"_s, u"video"_s, 8, 8, 8 };
    QString first;
    for (int i = 0; i < SubmissionSpace::maximumDrafts; ++i) {
        const auto created = submissions.create(user, draft);
        QVERIFY(created);
        first = first.isEmpty() ? created.value().id : first;
    }
    QCOMPARE(submissions.create(user, draft).refusal().status, 409);

    // A file of another type in a slot takes the place of the old one.
    QVERIFY(submissions.putFile(user, first, u"content"_s, "video/quicktime", "mov"));
    QVERIFY(submissions.putFile(user, first, u"content"_s, "video/mp4", "mp4"));
    QVERIFY(!QFile::exists(rig.service->media().filePath(first, u"content.mov"_s)));
    QVERIFY(QFile::exists(rig.service->media().filePath(first, u"content.mp4"_s)));

    // Past the open uploads an account may have, the least recently used gives way.
    QStringList uploads;
    for (int i = 0; i <= SubmissionSpace::maximumOpenUploads; ++i) {
        const auto init = submissions.startUpload(user, first, u"content"_s, "video/mp4");
        QVERIFY(init);
        QVERIFY(submissions.putPart(user, first, u"content"_s, init.value().uploadId, init.value().key, 1, "part"));
        uploads.append(init.value().uploadId);
    }
    const auto openUploads = [&] {
        return store.value(u"SELECT COUNT(*) FROM uploads WHERE completed = 0"_s)->toInt();
    };
    QCOMPARE(openUploads(), SubmissionSpace::maximumOpenUploads);
    QVERIFY(!QDir(rig.service->media().uploadsRoot() + u'/' + uploads.first()).exists());

    // An upload untouched for a day, and parts no upload owns, are gone after a restart.
    QVERIFY(store.run(u"UPDATE uploads SET touched_at = touched_at - 90000 WHERE upload_id = ?"_s, { uploads[1] }));
    const QString stray = rig.service->media().uploadsRoot() + u"/stray"_s;
    QVERIFY(QDir().mkpath(stray));
    QFile part(stray + u"/1.part"_s);
    QVERIFY(part.open(QIODevice::WriteOnly));
    part.close();
    const utimbuf twoDaysAgo { std::time(nullptr) - 2 * 86400, std::time(nullptr) - 2 * 86400 };
    QCOMPARE(::utime(QFile::encodeName(stray).constData(), &twoDaysAgo), 0);
    rig.restart();
    QCOMPARE(rig.service->store().value(u"SELECT COUNT(*) FROM uploads WHERE completed = 0"_s)->toInt(),
        SubmissionSpace::maximumOpenUploads - 1);
    QVERIFY(!QDir(rig.service->media().uploadsRoot() + u'/' + uploads[1]).exists());
    QVERIFY(!QDir(stray).exists());
    QVERIFY(QDir(rig.service->media().uploadsRoot() + u'/' + uploads.last()).exists());

    // The bytes an account keeps before its work is public are bounded too.
    QVERIFY(rig.service->store().run(u"UPDATE media_files SET size = ? WHERE media_id = ?"_s,
        { SubmissionSpace::maximumBytes, first }));
    QCOMPARE(rig.service->submissions().putFile(user, first, u"poster"_s, "image/png", "png").refusal().status, 413);
}

void TestLocalServiceLimits::theDiskKeepsItsFloor()
{
    constexpr qint64 total = qint64(100) << 30;
    const qint64 floor = DiskFloor::floorOf(total);
    QCOMPARE(floor, total / 20); // 5 % is more than 1 GiB here
    QCOMPARE(DiskFloor::floorOf(qint64(4) << 30), DiskFloor::minimumFree);
    qint64 free = qint64(50) << 30;
    ServiceRig rig([&](LocalService::Options& options) {
        options.diskSpace = [&](const QString&) { return std::optional(DiskFloor::Space { free, total }); };
    });
    Submissions& submissions = rig.service->submissions();
    const QString user = signIn(rig, u"Flo"_s);
    const QString id = submissions.create(user, SubmissionCreate { u"F"_s, u"space"_s, u"video"_s, 8, 8, 8 }).value().id;
    const auto init = submissions.startUpload(user, id, u"content"_s, "video/mp4");
    QVERIFY(init);
    const QByteArray part(Submissions::partSize, 'p');
    CompleteBody complete { init.value().uploadId, init.value().key, {} };
    const auto putPart = [&](qint64 number) {
        return submissions.putPart(user, id, u"content"_s, init.value().uploadId, init.value().key, number, part);
    };
    for (qint64 number : { 1, 2 })
        complete.parts.append({ number, putPart(number).value().etag });

    // Room for a part, but not for the whole beside its parts.
    free = floor + Submissions::partSize + 1;
    QVERIFY(putPart(2));
    const auto refused = submissions.completeUpload(user, id, u"content"_s, complete);
    QCOMPARE(refused.refusal().status, 507);
    QVERIFY(!QFile::exists(rig.service->media().filePath(id, u"content.mp4"_s)));
    QCOMPARE(submissions.putFile(user, id, u"poster"_s, "image/png", QByteArray(Submissions::partSize + 2, 'x'))
                 .refusal().status, 507);
    // The same with room to spare.
    free = floor + 3 * Submissions::partSize;
    QVERIFY(submissions.completeUpload(user, id, u"content"_s, complete));
    QCOMPARE(QFileInfo(rig.service->media().filePath(id, u"content.mp4"_s)).size(), 2 * Submissions::partSize);
}

void TestLocalServiceLimits::favouriteCountsMoveByOne()
{
    ServiceRig rig;
    WallpaperEntry entry;
    entry.id = u"f1"_s;
    entry.ownerId = signIn(rig, u"Owner"_s);
    entry.title = u"Shown with many favourites"_s;
    entry.type = u"video"_s;
    entry.category = u"space"_s;
    entry.status = u"approved"_s;
    entry.mediaId = entry.id;
    entry.favoriteCount = 315;
    QVERIFY(rig.service->catalogue().add(entry));
    const QString fan = signIn(rig, u"Fan"_s);
    Catalogue& catalogue = rig.service->catalogue();
    const auto count = [&] { return catalogue.publicWallpaper(u"f1"_s, {})->favoriteCount; };

    QCOMPARE(catalogue.setFavorite(fan, u"f1"_s, true), Catalogue::Outcome::done);
    QCOMPARE(count(), 316);
    QCOMPARE(catalogue.setFavorite(fan, u"f1"_s, true), Catalogue::Outcome::done);
    QCOMPARE(count(), 316);
    QCOMPARE(catalogue.setFavorite(fan, u"f1"_s, false), Catalogue::Outcome::done);
    QCOMPARE(catalogue.setFavorite(fan, u"f1"_s, false), Catalogue::Outcome::done);
    QCOMPARE(count(), 315);
    QCOMPARE(catalogue.setFavorite(fan, u"none"_s, true), Catalogue::Outcome::notFound);
}

QTEST_GUILESS_MAIN(TestLocalServiceLimits)
#include "tst_localservicelimits.moc"
