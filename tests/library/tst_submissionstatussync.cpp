#include "AwaitFuture.h"
#include "LibraryRig.h"
#include "LogCapture.h"
#include "SessionTokenStore.h"

#include <QJsonArray>
#include <QtTest>

namespace {

const QString key = "abc1234";

// One submission as the service lists it; a null status is left out.
QJsonObject submission(const QString& id, const QString& title, const QString& status)
{
    APIWallpaper record = catalogueRecord(id);
    record.title = title;
    if (!status.isNull())
        record.status = status;
    return record.toJson();
}

FakeReply mine(const QJsonArray& wallpapers) { return FakeReply::ok(QJsonObject { { "wallpapers", wallpapers } }); }

} // namespace

// The review states of the user's submissions, from the fake web service into the library.
class TestSubmissionStatusSync : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_rig.reset(); }
    void carriesTheServicesStatus_data();
    void carriesTheServicesStatus();
    void severalApprovalsRefreshOnce();
    void signedOutOrFailedChangesNothing();

private:
    void addSubmission(const QString& id, const QString& status, const QString& serverId)
    {
        m_rig->addLocalItem(id, status, true, serverId.isEmpty() ? std::nullopt : std::optional(serverId));
    }
    std::optional<LocalWallpaperMeta> metadata(const QString& id) const { return m_rig->metadata(id); }
    WallpaperManager& startSignedIn()
    {
        m_rig->service.signedIn = true;
        WallpaperManager& library = m_rig->start();
        if (!m_rig->refreshed())
            qFatal("the library did not start");
        return library;
    }
    int refreshes() const { return m_rig->catalogue.discover.requests; }

    std::unique_ptr<LibraryRig> m_rig;
};

void TestSubmissionStatusSync::init()
{
    m_rig = std::make_unique<LibraryRig>();
    QVERIFY(SessionTokenStore::save("secret"));
    m_rig->web.requireBearer("secret");
    m_rig->catalogue.discover.autoAnswer = Result<DiscoverResponse>(DiscoverResponse {});
    m_rig->catalogue.tags.autoAnswer = Result<TagGroups>(TagGroups {});
}

void TestSubmissionStatusSync::carriesTheServicesStatus_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("serverId");
    QTest::addColumn<QJsonArray>("listed");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("refreshed");

    const QString title = "Mine " + key;
    QTest::newRow("approved under a new title, by id")
        << "pending" << "s1" << QJsonArray { submission("s1", "Renamed", "approved") } << "approved" << "Renamed" << 1;
    QTest::newRow("by title, the first of two")
        << "pending" << ""
        << QJsonArray { submission("s8", "Other", "approved"), submission("s2", title, "rejected"),
               submission("s3", title, "approved") }
        << "rejected" << title << 0;
    QTest::newRow("pending and no longer listed") << "pending" << "s1" << QJsonArray {} << "rejected" << title << 0;
    QTest::newRow("approved and no longer listed") << "approved" << "s1" << QJsonArray {} << "approved" << title << 0;
    QTest::newRow("listed without a status")
        << "pending" << "s1" << QJsonArray { submission("s1", title, QString()) } << "pending" << title << 0;
    QTest::newRow("already approved") << "approved" << "s1" << QJsonArray { submission("s1", title, "approved") }
                                      << "approved" << title << 0;
}

void TestSubmissionStatusSync::carriesTheServicesStatus()
{
    QFETCH(QString, local);
    QFETCH(QString, serverId);
    QFETCH(QJsonArray, listed);
    QFETCH(QString, status);
    QFETCH(QString, title);
    QFETCH(int, refreshed);

    addSubmission(key, local, serverId);
    m_rig->web.on("GET", "me/wallpapers", mine(listed));
    WallpaperManager& library = startSignedIn();
    const int before = refreshes();

    QVERIFY(awaitFuture(library.syncSubmissionStatuses().then([] { return true; })));
    QCOMPARE(refreshes() - before, refreshed);
    QCOMPARE(library.submissionStatuses().value(key), status);
    const Wallpaper record = *m_rig->record(key);
    QCOMPARE(record.submissionStatus(), std::optional<QString>(status));
    QCOMPARE(record.title(), title);
    QCOMPARE(metadata(key)->submissionStatus, std::optional<QString>(status));
    QCOMPARE(metadata(key)->title, title);
}

void TestSubmissionStatusSync::severalApprovalsRefreshOnce()
{
    addSubmission("aaa0001", "pending", "s1");
    addSubmission("aaa0002", "pending", "s2");
    m_rig->web.on("GET", "me/wallpapers",
        mine({ submission("s1", "Mine aaa0001", "approved"), submission("s2", "Mine aaa0002", "approved") }));
    WallpaperManager& library = startSignedIn();
    const int before = refreshes();
    QVERIFY(awaitFuture(library.syncSubmissionStatuses().then([] { return true; })));
    QCOMPARE(refreshes() - before, 1);
    QCOMPARE(library.submissionStatuses(),
        (QMap<QString, QString> { { "aaa0001", "approved" }, { "aaa0002", "approved" } }));
}

void TestSubmissionStatusSync::signedOutOrFailedChangesNothing()
{
    addSubmission(key, "pending", "s1");
    m_rig->web.on("GET", "me/wallpapers", FakeReply::failure("Down", 500));
    WallpaperManager& library = m_rig->start();
    QVERIFY(library.syncSubmissionStatuses().isFinished());
    QCOMPARE(m_rig->web.requestCount(), 0);

    m_rig->service.signedIn = true;
    LogCapture log;
    QVERIFY(awaitFuture(library.syncSubmissionStatuses().then([] { return true; })));
    QVERIFY(log.contains("Lanto: Failed to sync submission statuses — HTTP error 500"));
    QCOMPARE(library.submissionStatuses().value(key), QString("pending"));
    QCOMPARE(metadata(key)->submissionStatus, std::optional<QString>("pending"));
}

QTEST_GUILESS_MAIN(TestSubmissionStatusSync)
#include "tst_submissionstatussync.moc"
