#include "LanguageListModel.h"
#include "LantoSettings.h"
#include "LoginItem.h"
#include "SettingsViewModel.h"
#include "SparkleUpdateManager.h"
#include "TemporaryHome.h"
#include "UserDefaults.h"
#include "VirtualScheduler.h"

#include <QAbstractItemModelTester>
#include <QNetworkAccessManager>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

class FakeLoginItem final : public LoginItem
{
public:
    Status status() const override { return Status::notRegistered; }
    std::optional<QString> registerItem() override
    {
        calls.append(true);
        return failure;
    }
    std::optional<QString> unregisterItem() override
    {
        calls.append(false);
        return failure;
    }
    QList<bool> calls;
    std::optional<QString> failure;
};

using Setter = void (SettingsViewModel::*)(bool);
using Getter = bool (SettingsViewModel::*)() const;

} // namespace

class TestSettingsViewModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsFromTheStoredValues();
    void switchesWriteTheirKey_data();
    void switchesWriteTheirKey();
    void loginSwitchRegistersTheAgent_data();
    void loginSwitchRegistersTheAgent();
    void updatesAndLanguageGoToTheirBackends();
    void checkForUpdatesWaitsForTheRunningCheck();
    void versionFallsBack();
    void languageTable();

private:
    SettingsBackends backends() { return { &m_loginItem, m_defaults.get(), m_updates.get() }; }
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<VirtualScheduler> m_writes;
    std::unique_ptr<LantoSettings> m_settings;
    std::unique_ptr<UserDefaults> m_defaults;
    QNetworkAccessManager m_network;
    std::unique_ptr<SparkleUpdateManager> m_updates;
    FakeLoginItem m_loginItem;
};

void TestSettingsViewModel::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_writes = std::make_unique<VirtualScheduler>();
    m_settings = std::make_unique<LantoSettings>(m_home->appSupportPath(), *m_writes);
    m_defaults = std::make_unique<UserDefaults>(m_home->filePath("user-defaults.conf"));
    m_defaults->setString("appLanguage", "ja");
    // The feed is never read: checks wait on the virtual clock.
    m_updates = std::make_unique<SparkleUpdateManager>(
        m_network, *m_defaults, *m_writes, QUrl("http://127.0.0.1:9/appcast.xml"), Updater::Versions { "1.0", "1" });
    m_loginItem = {};
}

void TestSettingsViewModel::cleanup()
{
    m_updates.reset();
    m_defaults.reset();
    m_settings.reset();
    m_writes.reset();
    m_home.reset();
}

void TestSettingsViewModel::startsFromTheStoredValues()
{
    {
        SettingsViewModel fresh(*m_settings, backends());
        QVERIFY(!fresh.launchAtLogin() && !fresh.pauseOnBattery() && !fresh.pauseOnFullscreen());
        QVERIFY(!fresh.reducedFrameRate() && !fresh.respectReduceMotion());
        QVERIFY(fresh.autoUpdateEnabled());
        QCOMPARE(fresh.appLanguage(), "ja");
    }
    m_settings->set("reducedFrameRate", PlistValue(true));
    m_settings->set("pauseOnBattery", PlistValue("yes")); // not a Bool: reads as off
    SettingsViewModel model(*m_settings, backends());
    QVERIFY(model.reducedFrameRate());
    QVERIFY(!model.pauseOnBattery());
    // Opening the screen changes nothing.
    QVERIFY(m_loginItem.calls.isEmpty());
    QCOMPARE(m_settings->value("pauseOnBattery"), PlistValue("yes"));
}

void TestSettingsViewModel::switchesWriteTheirKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<Setter>("setter");
    QTest::addColumn<Getter>("getter");

    QTest::newRow("launchAtLogin") << "launchAtLogin" << &SettingsViewModel::setLaunchAtLogin
                                   << &SettingsViewModel::launchAtLogin;
    QTest::newRow("pauseOnBattery") << "pauseOnBattery" << &SettingsViewModel::setPauseOnBattery
                                    << &SettingsViewModel::pauseOnBattery;
    QTest::newRow("pauseOnFullscreen") << "pauseOnFullscreen" << &SettingsViewModel::setPauseOnFullscreen
                                       << &SettingsViewModel::pauseOnFullscreen;
    QTest::newRow("reducedFrameRate") << "reducedFrameRate" << &SettingsViewModel::setReducedFrameRate
                                      << &SettingsViewModel::reducedFrameRate;
    QTest::newRow("respectReduceMotion") << "respectReduceMotion" << &SettingsViewModel::setRespectReduceMotion
                                         << &SettingsViewModel::respectReduceMotion;
}

void TestSettingsViewModel::switchesWriteTheirKey()
{
    QFETCH(QString, key);
    QFETCH(Setter, setter);
    QFETCH(Getter, getter);
    SettingsViewModel model(*m_settings, backends());
    (model.*setter)(true);
    QVERIFY((model.*getter)());
    QCOMPARE(m_settings->value(key), PlistValue(true));
    (model.*setter)(false);
    (model.*setter)(true);
    // A burst of changes is written once, after the debounce.
    m_writes->advance(100ms);
    SettingsViewModel reopened(*m_settings, backends());
    QVERIFY((reopened.*getter)());
    LantoSettings fromFile(m_home->appSupportPath(), *m_writes);
    QCOMPARE(fromFile.boolValue(key, false), true);
}

void TestSettingsViewModel::loginSwitchRegistersTheAgent_data()
{
    QTest::addColumn<bool>("fails");
    QTest::newRow("registered") << false;
    QTest::newRow("registration fails") << true;
}

void TestSettingsViewModel::loginSwitchRegistersTheAgent()
{
    QFETCH(bool, fails);
    if (fails)
        m_loginItem.failure = "refused";
    SettingsViewModel model(*m_settings, backends());
    model.setLaunchAtLogin(true);
    model.setLaunchAtLogin(true);
    // Whatever the registration did, the switch and the store keep the choice.
    QVERIFY(model.launchAtLogin());
    QCOMPARE(m_settings->value("launchAtLogin"), PlistValue(true));
    model.setLaunchAtLogin(false);
    QCOMPARE(m_loginItem.calls, (QList<bool> { true, false }));
    QCOMPARE(m_settings->value("launchAtLogin"), PlistValue(false));
}

void TestSettingsViewModel::updatesAndLanguageGoToTheirBackends()
{
    SettingsViewModel model(*m_settings, backends());
    model.setAutoUpdateEnabled(false);
    QCOMPARE(m_defaults->boolValue("SUEnableAutomaticChecks"), false);
    QCOMPARE(m_defaults->boolValue("SUAutomaticallyUpdate"), false);
    model.setAutoUpdateEnabled(true);
    QCOMPARE(m_defaults->boolValue("SUEnableAutomaticChecks"), true);
    QCOMPARE(m_defaults->boolValue("SUAutomaticallyUpdate"), true);
    model.setAppLanguage("pt-BR");
    QCOMPARE(m_defaults->string("appLanguage"), "pt-BR");
    model.setAppLanguage("");
    QCOMPARE(m_defaults->string("appLanguage"), "");

    // Without installed backends the values stay in memory.
    SettingsViewModel bare(*m_settings, SettingsBackends {});
    QVERIFY(!bare.autoUpdateEnabled());
    bare.setAppLanguage("ar");
    QCOMPARE(bare.appLanguage(), "ar");
}

void TestSettingsViewModel::checkForUpdatesWaitsForTheRunningCheck()
{
    SettingsViewModel model(*m_settings, backends());
    QSignalSpy offered(&model, &SettingsViewModel::canCheckForUpdatesChanged);
    QVERIFY(model.canCheckForUpdates());
    model.checkForUpdates();
    QVERIFY(!model.canCheckForUpdates());
    QCOMPARE(offered.size(), 1);
    model.checkForUpdates(); // a second press while the first runs starts nothing
    QCOMPARE(offered.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(model.canCheckForUpdates(), 10000);

    SettingsViewModel bare(*m_settings, SettingsBackends {});
    QVERIFY(!bare.canCheckForUpdates());
    bare.checkForUpdates();
}

void TestSettingsViewModel::versionFallsBack()
{
    QCOMPARE(SettingsViewModel::versionText(""), "1.0");
    QCOMPARE(SettingsViewModel::versionText("0"), "1.0");
    QCOMPARE(SettingsViewModel::versionText("2.3.1"), "2.3.1");
}

void TestSettingsViewModel::languageTable()
{
    LanguageListModel languages;
    QAbstractItemModelTester tester(&languages, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(languages.rowCount(), 21);
    QCOMPARE(languages.indexOf(""), 0);
    const QModelIndex traditional = languages.index(languages.indexOf("zh-Hant"));
    QCOMPARE(traditional.data(LanguageListModel::NameRole).toString(), u"\u7e41\u9ad4\u4e2d\u6587"_qs);
    QCOMPARE(languages.index(20).data(LanguageListModel::CodeRole).toString(), "vi");
    QCOMPARE(languages.indexOf("xx"), 0);
}

QTEST_GUILESS_MAIN(TestSettingsViewModel)
#include "tst_settingsviewmodel.moc"
