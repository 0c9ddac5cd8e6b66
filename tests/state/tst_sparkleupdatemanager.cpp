// The update manager against a fake feed: first-launch switches, its own
// check, checks the user asks for and the scheduled ones.
#include "FakeWebService.h"
#include "LogCapture.h"
#include "SparkleUpdateManager.h"
#include "TemporaryHome.h"
#include "UserDefaults.h"
#include "VirtualScheduler.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

QByteArray feedOf(const QByteArray& shortVersion, const QByteArray& version)
{
    return "<rss xmlns:sparkle=\"http://example.com/ns\"><channel><item><sparkle:shortVersionString>" + shortVersion
        + "</sparkle:shortVersionString><sparkle:version>" + version + "</sparkle:version></item></channel></rss>";
}

// One manager over a temporary home and a fake feed, running 1.2 build 12.
struct Rig
{
    explicit Rig(bool serve = true)
    {
        if (serve)
            web.on("GET", "/appcast.xml", FakeReply::raw(200, feedOf("1.2", "12"), "application/rss+xml"));
    }

    SparkleUpdateManager& start()
    {
        manager = std::make_unique<SparkleUpdateManager>(
            network, defaults, scheduler, web.url("/appcast.xml"), Updater::Versions { "1.2", "12" });
        return *manager;
    }

    void serve(const QByteArray& shortVersion, const QByteArray& version)
    {
        web.on("GET", "/appcast.xml", FakeReply::raw(200, feedOf(shortVersion, version), "application/rss+xml"));
    }

    bool ownCheck()
    {
        QSignalSpy done(manager.get(), &SparkleUpdateManager::appcastChecked);
        manager->checkAppcast();
        return done.wait(10000);
    }

    TemporaryHome home;
    UserDefaults defaults { home.filePath(".config/lanto/user-defaults.conf") };
    FakeWebService web;
    QNetworkAccessManager network;
    VirtualScheduler scheduler;
    std::unique_ptr<SparkleUpdateManager> manager;
};

} // namespace

class tst_SparkleUpdateManager : public QObject
{
    Q_OBJECT

private slots:
    void switchesOnAtFirstLaunchOnly()
    {
        Rig rig;
        rig.start();
        QCOMPARE(rig.defaults.boolValue("SUEnableAutomaticChecks"), true);
        QCOMPARE(rig.defaults.boolValue("SUAutomaticallyUpdate"), true);

        Rig chosen;
        chosen.defaults.setBool("SUEnableAutomaticChecks", false);
        chosen.defaults.setBool("SUAutomaticallyUpdate", false);
        SparkleUpdateManager& manager = chosen.start();
        QVERIFY(!manager.automaticallyChecksForUpdates());
        QVERIFY(!manager.automaticallyDownloadsUpdates());
        // Kept across a restart of the store.
        manager.setAutomaticallyDownloadsUpdates(true);
        QCOMPARE(
            UserDefaults(chosen.home.filePath(".config/lanto/user-defaults.conf")).boolValue("SUAutomaticallyUpdate"),
            true);
    }

    void ownCheck_data()
    {
        QTest::addColumn<QByteArray>("shortVersion");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("update");
        QTest::newRow("newer version") << QByteArray("1.10") << QByteArray("1") << true;
        QTest::newRow("same version, newer build") << QByteArray("1.2") << QByteArray("13") << true;
        QTest::newRow("same version and build") << QByteArray("1.2") << QByteArray("12") << false;
        QTest::newRow("older") << QByteArray("1.1") << QByteArray("99") << false;
    }
    void ownCheck()
    {
        QFETCH(QByteArray, shortVersion);
        QFETCH(QByteArray, version);
        QFETCH(bool, update);
        Rig rig;
        rig.serve(shortVersion, version);
        SparkleUpdateManager& manager = rig.start();
        QVERIFY(rig.ownCheck());
        QCOMPARE(manager.updateAvailable(), update);
        QCOMPARE(manager.newVersion(), update ? std::optional<QString>(shortVersion) : std::nullopt);
    }

    void failedCheckIsLoggedOnly()
    {
        Rig rig(false);
        rig.web.on("GET", "/appcast.xml", FakeReply::dropped());
        LogCapture log;
        SparkleUpdateManager& manager = rig.start();
        QVERIFY(rig.ownCheck());
        QVERIFY(!manager.updateAvailable());
        const QStringList lines = log.lines().filter("Lanto: Update check failed — ");
        QCOMPARE(lines.size(), 1);
    }

    void notAFeedChangesNothing()
    {
        Rig rig(false);
        rig.web.on(
            "GET", "/appcast.xml", FakeReply::raw(404, "<html>sparkle:shortVersionString>9<</html>", "text/html"));
        SparkleUpdateManager& manager = rig.start();
        QVERIFY(rig.ownCheck());
        QVERIFY(!manager.updateAvailable());
    }

    void userCheckShowsItsOutcome()
    {
        Rig rig;
        SparkleUpdateManager& manager = rig.start();
        QSignalSpy finished(&manager, &SparkleUpdateManager::userCheckFinished);
        manager.checkForUpdates();
        QVERIFY(!manager.canCheckForUpdates());
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.takeFirst().at(0).value<SparkleUpdateManager::CheckOutcome>(),
            SparkleUpdateManager::CheckOutcome::UpToDate);
        QVERIFY(manager.canCheckForUpdates());

        rig.serve("2.0", "20");
        manager.checkForUpdates();
        QVERIFY(finished.wait(10000));
        const QList<QVariant> arguments = finished.takeFirst();
        QCOMPARE(arguments.at(0).value<SparkleUpdateManager::CheckOutcome>(),
            SparkleUpdateManager::CheckOutcome::UpdateAvailable);
        QCOMPARE(arguments.at(1).toString(), QString("2.0"));
        // The update window shows it; the badge gives way.
        QCOMPARE(manager.newVersion(), QString("2.0"));
        QVERIFY(!manager.updateAvailable());
    }

    void scheduledChecksFollowTheSwitch()
    {
        Rig rig;
        rig.serve("3.0", "30");
        SparkleUpdateManager& manager = rig.start();
        rig.scheduler.advance(23h);
        QCOMPARE(rig.web.requestCount(), 0);
        QSignalSpy available(&manager, &SparkleUpdateManager::updateAvailableChanged);
        rig.scheduler.advance(1h);
        QVERIFY(available.wait(10000));
        QVERIFY(manager.updateAvailable());
        QCOMPARE(manager.newVersion(), QString("3.0"));

        manager.setAutomaticallyChecksForUpdates(false);
        rig.scheduler.advance(72h);
        QCOMPARE(rig.scheduler.pendingCount(), 0);
        QCOMPARE(rig.web.requestCount(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_SparkleUpdateManager)
#include "tst_sparkleupdatemanager.moc"
