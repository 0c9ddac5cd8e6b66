// Which launch phase the main window shows, and the update gate at the splash's end.
#include "AuthService.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "LantoSettings.h"
#include "LaunchPhaseModel.h"
#include "SparkleUpdateManager.h"
#include "TemporaryHome.h"
#include "UserDefaults.h"
#include "VirtualScheduler.h"
#include "WebAuthSession.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;
using Phase = LaunchPhaseModel::Phase;

namespace {

class Browser final : public WebAuthSession
{
public:
    bool open(const QUrl&) override { return true; }
};

QByteArray feedOf(const QByteArray& shortVersion)
{
    return "<rss><channel><item><sparkle:shortVersionString>" + shortVersion
        + "</sparkle:shortVersionString><sparkle:version>1</sparkle:version></item></channel></rss>";
}

// The model over a real account service (signed out) and update manager, running 1.9.
struct Rig
{
    Rig()
    {
        web.on("GET", "/appcast.xml", FakeReply::raw(200, feedOf("1.9"), "application/rss+xml"));
        model.setAuth(&auth);
        model.setUpdates(&updates);
    }

    void serve(const QByteArray& version)
    {
        web.on("GET", "/appcast.xml", FakeReply::raw(200, feedOf(version), "application/rss+xml"));
    }

    bool splashCheck()
    {
        QSignalSpy done(&model, &LaunchPhaseModel::appcastChecked);
        model.checkAppcast();
        return done.wait(10000);
    }

    TemporaryHome home;
    VirtualScheduler scheduler;
    LantoSettings settings { home.appSupportPath(), scheduler };
    FakeWebService web;
    LantoAPIClient client { web.baseURL() };
    Browser browser;
    AuthService auth { client, settings, browser };
    UserDefaults defaults { home.filePath(".config/lanto/user-defaults.conf") };
    QNetworkAccessManager network;
    SparkleUpdateManager updates { network, defaults, scheduler, web.url("/appcast.xml"), { "1.9", "5" } };
    LaunchPhaseModel model { scheduler };
};

} // namespace

class tst_LaunchPhaseModel : public QObject
{
    Q_OBJECT

private slots:
    void phaseForTheAccount_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<bool>("needsSetup");
        QTest::addColumn<Phase>("phase");
        QTest::newRow("signed out") << false << false << Phase::Onboarding;
        QTest::newRow("signed out, setup flag left") << false << true << Phase::Onboarding;
        QTest::newRow("needs a handle") << true << true << Phase::ProfileSetup;
        QTest::newRow("ready") << true << false << Phase::App;
    }
    void phaseForTheAccount()
    {
        QFETCH(bool, signedIn);
        QFETCH(bool, needsSetup);
        QFETCH(Phase, phase);
        QCOMPARE(LaunchPhaseModel::phaseFor(signedIn, needsSetup), phase);
    }

    void splashLeadsToWelcomeThenOn()
    {
        Rig rig;
        QCOMPARE(rig.model.phase(), Phase::Splash);
        rig.model.completeOnboarding(); // not shown yet: nothing
        QCOMPARE(rig.model.phase(), Phase::Splash);
        rig.model.finishSplash();
        QCOMPARE(rig.model.phase(), Phase::Onboarding);
        rig.auth.setNeedsProfileSetup(true);
        rig.model.completeOnboarding();
        QCOMPARE(rig.model.phase(), Phase::ProfileSetup);
        rig.model.completeProfileSetup();
        QCOMPARE(rig.model.phase(), Phase::App);
        // Nothing goes back to the splash.
        rig.model.finishSplash();
        QCOMPARE(rig.model.phase(), Phase::App);
    }

    void splashCheckFindsNewerVersion_data()
    {
        QTest::addColumn<QByteArray>("remote");
        QTest::addColumn<QString>("found");
        QTest::newRow("1.10 against 1.9") << QByteArray("1.10") << "1.10";
        QTest::newRow("same") << QByteArray("1.9") << "";
        QTest::newRow("older") << QByteArray("1.8.9") << "";
    }
    void splashCheckFindsNewerVersion()
    {
        QFETCH(QByteArray, remote);
        QFETCH(QString, found);
        Rig rig;
        rig.serve(remote);
        QVERIFY(rig.splashCheck());
        QCOMPARE(rig.model.updateVersion(), found);
    }

    void noRequestWithAutomaticChecksOff()
    {
        Rig rig;
        rig.updates.setAutomaticallyChecksForUpdates(false);
        QSignalSpy done(&rig.model, &LaunchPhaseModel::appcastChecked);
        rig.model.checkAppcast();
        QVERIFY(!done.wait(300));
        QCOMPARE(rig.web.requestCount(), 0);
    }

    void checkEndingAfterTheSplashChangesNothing()
    {
        Rig rig;
        rig.serve("2.0");
        QSignalSpy done(&rig.model, &LaunchPhaseModel::appcastChecked);
        rig.model.checkAppcast();
        rig.model.finishSplash();
        QVERIFY(done.wait(10000));
        QCOMPARE(rig.model.phase(), Phase::Onboarding);
        QVERIFY(rig.model.updateVersion().isEmpty());
    }

    void knownUpdateWithoutInstallerGoesOnAtOnce_data()
    {
        QTest::addColumn<bool>("foundAtSplash");
        QTest::newRow("found by the splash") << true;
        QTest::newRow("found by the manager") << false;
    }
    // This updater can install nothing: holding the splash would only make every start wait.
    void knownUpdateWithoutInstallerGoesOnAtOnce()
    {
        QFETCH(bool, foundAtSplash);
        Rig rig;
        rig.serve("2.0");
        if (foundAtSplash) {
            QVERIFY(rig.splashCheck());
        } else {
            QSignalSpy checked(&rig.updates, &SparkleUpdateManager::appcastChecked);
            rig.updates.checkAppcast();
            QVERIFY(checked.wait(10000));
        }
        QVERIFY(!rig.updates.immediateInstallHandler());
        const int requests = rig.web.requestCount();
        rig.model.finishSplash();
        QCOMPARE(rig.model.phase(), Phase::Onboarding);
        QVERIFY(!rig.model.isUpdating());
        // The sidebar's badge offers it instead.
        QVERIFY(rig.updates.updateAvailable());
        QCOMPARE(rig.updates.newVersionText(), QString("2.0"));
        QCOMPARE(rig.web.requestCount(), requests);
    }

    void signingOutReturnsToWelcome()
    {
        Rig rig;
        rig.model.finishSplash();
        rig.model.completeOnboarding();
        QCOMPARE(rig.model.phase(), Phase::App);
        QSignalSpy changed(&rig.model, &LaunchPhaseModel::phaseChanged);
        // Signing out of an account that is not signed in changes nothing.
        rig.auth.signOut();
        QCOMPARE(rig.model.phase(), Phase::App);
        emit rig.auth.isSignedInChanged();
        QCOMPARE(rig.model.phase(), Phase::Onboarding);
        QCOMPARE(changed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_LaunchPhaseModel)
#include "tst_launchphasemodel.moc"
