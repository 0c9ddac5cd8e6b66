#include "ApplicationExitWatcher.h"
#include "FakeDisplays.h"
#include "FakeDistributedNotifications.h"
#include "FakeRunningApplications.h"
#include "PrivateBus.h"
#include "SystemWorkspace.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/_32");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString userPath = QStringLiteral("/org/freedesktop/login1/user/_1000");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString profilesService = QStringLiteral("net.hadess.PowerProfiles");
const QString profilesPath = QStringLiteral("/net/hadess/PowerProfiles");
const QString upowerService = QStringLiteral("org.freedesktop.UPower");
const QString upowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalSettings = QStringLiteral("org.freedesktop.portal.Settings");

// A made-up D-Bus service: answers calls with replies the test set up, and
// says what the test makes it say.
class ScriptedService : public QDBusVirtualObject
{
public:
    ScriptedService(QDBusConnection bus, const QString& name, const QString& rootPath)
        : m_bus(bus), m_rootPath(rootPath)
    {
        m_registered
            = m_bus.registerVirtualObject(rootPath, this, QDBusConnection::SubPath) && m_bus.registerService(name);
    }
    ~ScriptedService() override { m_bus.unregisterObject(m_rootPath, QDBusConnection::UnregisterTree); }

    bool isRegistered() const { return m_registered; }

    // Calls of interface.member on path get this reply; unknown calls an error.
    void answer(const QString& path, const QString& method, const QVariantList& reply)
    {
        QMutexLocker lock(&m_mutex);
        m_replies.insert(path + QLatin1Char(' ') + method, reply);
    }

    bool wasCalled(const QString& path, const QString& method) const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls.contains(path + QLatin1Char(' ') + method);
    }

    void say(const QString& path, const QString& interface, const QString& name, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
        message.setArguments(arguments);
        m_bus.send(message);
    }

    QString introspect(const QString&) const override { return QString(); }

    // May run on the bus's own thread.
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.type() != QDBusMessage::MethodCallMessage)
            return false;
        const QString key
            = message.path() + QLatin1Char(' ') + message.interface() + QLatin1Char('.') + message.member();
        QMutexLocker lock(&m_mutex);
        m_calls << key;
        const auto reply = m_replies.constFind(key);
        if (reply == m_replies.cend())
            connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"), key));
        else
            connection.send(message.createReply(*reply));
        return true;
    }

private:
    QDBusConnection m_bus;
    QString m_rootPath;
    bool m_registered = false;
    mutable QMutex m_mutex;
    QHash<QString, QVariantList> m_replies;
    QStringList m_calls;
};

QVariant variant(const QVariant& value) { return QVariant::fromValue(QDBusVariant(value)); }

QVariantMap changes(const QString& name, const QVariant& value) { return QVariantMap { { name, value } }; }

// What the workspace and the notices said, in order.
class Transcript
{
public:
    Transcript(Workspace& workspace, DistributedNotifications& notices)
    {
        const auto record = [this](const char* name) { return [this, name] { m_lines << QLatin1String(name); }; };
        QObject::connect(&workspace, &Workspace::willSleep, &m_context, record("willSleep"));
        QObject::connect(&workspace, &Workspace::didWake, &m_context, record("didWake"));
        QObject::connect(&workspace, &Workspace::screensDidSleep, &m_context, record("screensDidSleep"));
        QObject::connect(&workspace, &Workspace::screensDidWake, &m_context, record("screensDidWake"));
        QObject::connect(&workspace, &Workspace::sessionDidResignActive, &m_context, record("sessionDidResignActive"));
        QObject::connect(&workspace, &Workspace::sessionDidBecomeActive, &m_context, record("sessionDidBecomeActive"));
        QObject::connect(&workspace, &Workspace::activeSpaceDidChange, &m_context, record("activeSpaceDidChange"));
        QObject::connect(
            &workspace, &Workspace::applicationDidTerminate, &m_context, record("applicationDidTerminate"));
        QObject::connect(&workspace, &Workspace::windowOcclusionChanged, &m_context, record("windowOcclusionChanged"));
        QObject::connect(
            &workspace, &Workspace::screenParametersChanged, &m_context, record("screenParametersChanged"));
        QObject::connect(&workspace, &Workspace::powerStateChanged, &m_context, record("powerStateChanged"));
        QObject::connect(&workspace, &Workspace::reduceMotionChanged, &m_context, record("reduceMotionChanged"));
        QObject::connect(&notices, &DistributedNotifications::received, &m_context,
            [this](const QString& name) { m_lines << name; });
    }
    QStringList lines() const { return m_lines; }
    void clear() { m_lines.clear(); }

private:
    QObject m_context;
    QStringList m_lines;
};

} // namespace

class tst_SystemWorkspace : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sleepAndWake();
    void screenLockAndUnlock();
    void switchingSessionsWhileLocked();
    void signalsFromOthersThanLogindAreIgnored();
    void sessionFoundThroughTheUserOutsideASession();
    void lowPowerModeFollowsThePowerProfile();
    void onBatteryFollowsUPowerOverTheKernel();
    void reduceMotionFollowsTheDesktopAnimations();
    void displayChangesAndEndedApplications();
    void processListIsReadOnlyWhileSomeoneListens();
    void withoutAnyServiceEverythingIsQuiet();

private:
    void startLogind(bool processHasSession = true);
    void startWorkspace(std::chrono::milliseconds applicationCheckInterval = 1h);
    // One attribute of a supply in the made-up power-supply folder.
    void writeSupply(const QString& supply, const char* attribute, const QByteArray& value)
    {
        QDir().mkpath(m_sys->filePath(supply));
        QFile file(m_sys->filePath(supply + QLatin1Char('/') + QLatin1String(attribute)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(value + '\n');
    }
    void waitForSession()
    {
        QTRY_VERIFY(m_logind->wasCalled(sessionPath, propertiesInterface + QStringLiteral(".GetAll")));
    }

    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<ScriptedService> m_logind;
    std::unique_ptr<QTemporaryDir> m_sys;
    std::unique_ptr<FakeDisplays> m_displays;
    std::unique_ptr<FakeRunningApplications> m_applications;
    std::unique_ptr<FakeDistributedNotifications> m_notices;
    std::unique_ptr<SystemWorkspace> m_workspace;
    std::unique_ptr<Transcript> m_transcript;
};

void tst_SystemWorkspace::init()
{
    m_bus = std::make_unique<PrivateBus>();
    m_sys = std::make_unique<QTemporaryDir>();
    m_displays = std::make_unique<FakeDisplays>();
    m_applications = std::make_unique<FakeRunningApplications>();
    m_notices = std::make_unique<FakeDistributedNotifications>();
}

void tst_SystemWorkspace::cleanup()
{
    m_transcript.reset();
    m_workspace.reset();
    m_logind.reset();
    m_notices.reset();
    m_applications.reset();
    m_displays.reset();
    m_sys.reset();
    m_bus.reset();
}

void tst_SystemWorkspace::startLogind(bool processHasSession)
{
    m_logind = std::make_unique<ScriptedService>(m_bus->connect(QStringLiteral("logind")), logindService, managerPath);
    QVERIFY(m_logind->isRegistered());
    if (processHasSession)
        m_logind->answer(managerPath, managerInterface + QStringLiteral(".GetSessionByPID"),
            { QVariant::fromValue(QDBusObjectPath(sessionPath)) });
    m_logind->answer(sessionPath, propertiesInterface + QStringLiteral(".GetAll"),
        { QVariantMap { { QStringLiteral("Active"), true }, { QStringLiteral("LockedHint"), false } } });
}

void tst_SystemWorkspace::startWorkspace(std::chrono::milliseconds applicationCheckInterval)
{
    const QDBusConnection client = m_bus->connect(QStringLiteral("client"));
    SystemWorkspaceSources sources;
    sources.powerSupplyFolder = m_sys->path();
    sources.systemBus = client;
    sources.sessionBus = client;
    sources.applicationCheckInterval = applicationCheckInterval;
    m_workspace = std::make_unique<SystemWorkspace>(*m_displays, *m_applications, *m_notices, sources);
    m_transcript = std::make_unique<Transcript>(*m_workspace, *m_notices);
}

void tst_SystemWorkspace::sleepAndWake()
{
    startLogind();
    startWorkspace();
    waitForSession();

    m_logind->say(managerPath, managerInterface, QStringLiteral("PrepareForSleep"), { true });
    QTRY_COMPARE(m_transcript->lines(), (QStringList { "willSleep", "screensDidSleep" }));

    // Unplugged while asleep: the supply is read again on wake.
    writeSupply(QStringLiteral("BAT0"), "type", "Battery");
    writeSupply(QStringLiteral("BAT0"), "status", "Discharging");
    QVERIFY(!m_workspace->isOnBattery());

    m_transcript->clear();
    m_logind->say(managerPath, managerInterface, QStringLiteral("PrepareForSleep"), { false });
    QTRY_COMPARE(m_transcript->lines(), (QStringList { "powerStateChanged", "didWake", "screensDidWake" }));
    QVERIFY(m_workspace->isOnBattery());
}

void tst_SystemWorkspace::screenLockAndUnlock()
{
    startLogind();
    startWorkspace();
    waitForSession();

    // The locker reports through the session's hint; the lock request itself
    // may come first. Either way the lock is told once.
    m_logind->say(sessionPath, sessionInterface, QStringLiteral("Lock"), {});
    m_logind->say(sessionPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
        { sessionInterface, changes(QStringLiteral("LockedHint"), true), QStringList() });
    QTRY_COMPARE(m_transcript->lines(), (QStringList { "com.apple.screenIsLocked", "sessionDidResignActive" }));

    m_transcript->clear();
    m_logind->say(sessionPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
        { sessionInterface, changes(QStringLiteral("LockedHint"), false), QStringList() });
    m_logind->say(sessionPath, sessionInterface, QStringLiteral("Unlock"), {});
    QTRY_COMPARE(m_transcript->lines(), (QStringList { "sessionDidBecomeActive", "com.apple.screenIsUnlocked" }));

    // Nothing more arrives late.
    m_logind->say(managerPath, managerInterface, QStringLiteral("PrepareForSleep"), { true });
    QTRY_COMPARE(m_transcript->lines().size(), 4);
}

void tst_SystemWorkspace::switchingSessionsWhileLocked()
{
    startLogind();
    startWorkspace();
    waitForSession();
    const auto active = [this](bool value) {
        m_logind->say(sessionPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
            { sessionInterface, changes(QStringLiteral("Active"), value), QStringList() });
    };

    active(false);
    QTRY_COMPARE(m_transcript->lines(), QStringList { "sessionDidResignActive" });

    // Locked while switched away, then back to the lock screen: still inactive.
    m_logind->say(sessionPath, sessionInterface, QStringLiteral("Lock"), {});
    active(true);
    m_logind->say(sessionPath, sessionInterface, QStringLiteral("Unlock"), {});
    QTRY_COMPARE(m_transcript->lines(),
        (QStringList { "sessionDidResignActive", "com.apple.screenIsLocked", "sessionDidBecomeActive",
            "com.apple.screenIsUnlocked" }));
}

void tst_SystemWorkspace::signalsFromOthersThanLogindAreIgnored()
{
    startLogind();
    startWorkspace();
    waitForSession();

    QDBusConnection intruder = m_bus->connect(QStringLiteral("intruder"));
    QDBusMessage forged = QDBusMessage::createSignal(managerPath, managerInterface, QStringLiteral("PrepareForSleep"));
    forged << true;
    QVERIFY(intruder.send(forged));
    QDBusMessage forgedLock = QDBusMessage::createSignal(sessionPath, sessionInterface, QStringLiteral("Lock"));
    QVERIFY(intruder.send(forgedLock));
    // Once the bus answers the intruder, it has passed the forged signals on.
    const QDBusMessage ping = intruder.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    QCOMPARE(ping.type(), QDBusMessage::ReplyMessage);

    // A real one afterwards shows the forged ones had their chance.
    m_logind->say(managerPath, managerInterface, QStringLiteral("PrepareForSleep"), { false });
    QTRY_COMPARE(m_transcript->lines(), (QStringList { "didWake", "screensDidWake" }));
}

void tst_SystemWorkspace::sessionFoundThroughTheUserOutsideASession()
{
    startLogind(/*processHasSession*/ false);
    QDBusArgument display;
    display.beginStructure();
    display << QStringLiteral("32") << QDBusObjectPath(sessionPath);
    display.endStructure();
    m_logind->answer(
        managerPath, managerInterface + QStringLiteral(".GetUser"), { QVariant::fromValue(QDBusObjectPath(userPath)) });
    m_logind->answer(userPath, propertiesInterface + QStringLiteral(".Get"), { variant(QVariant::fromValue(display)) });
    startWorkspace();
    waitForSession();

    m_logind->say(sessionPath, sessionInterface, QStringLiteral("Lock"), {});
    QTRY_COMPARE(m_transcript->lines(), (QStringList { "com.apple.screenIsLocked", "sessionDidResignActive" }));
}

void tst_SystemWorkspace::lowPowerModeFollowsThePowerProfile()
{
    ScriptedService profiles(m_bus->connect(QStringLiteral("profiles")), profilesService, profilesPath);
    QVERIFY(profiles.isRegistered());
    profiles.answer(profilesPath, propertiesInterface + QStringLiteral(".GetAll"),
        { QVariantMap { { QStringLiteral("ActiveProfile"), QStringLiteral("power-saver") } } });
    startWorkspace();
    QTRY_VERIFY(m_workspace->isLowPowerMode());
    m_transcript->clear();

    profiles.say(profilesPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
        { profilesService, changes(QStringLiteral("ActiveProfile"), QStringLiteral("balanced")), QStringList() });
    QTRY_COMPARE(m_transcript->lines(), QStringList { "powerStateChanged" });
    QVERIFY(!m_workspace->isLowPowerMode());

    // A value of the wrong type is no profile: not power-saver.
    profiles.say(profilesPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
        { profilesService, changes(QStringLiteral("ActiveProfile"), 3), QStringList() });
    profiles.say(profilesPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
        { profilesService, changes(QStringLiteral("ActiveProfile"), QStringLiteral("power-saver")), QStringList() });
    QTRY_VERIFY(m_workspace->isLowPowerMode());
}

void tst_SystemWorkspace::onBatteryFollowsUPowerOverTheKernel()
{
    // The kernel's folder alone says mains: a supply online.
    writeSupply(QStringLiteral("AC"), "type", "Mains");
    writeSupply(QStringLiteral("AC"), "online", "1");

    ScriptedService upower(m_bus->connect(QStringLiteral("upower")), upowerService, upowerPath);
    QVERIFY(upower.isRegistered());
    upower.answer(upowerPath, propertiesInterface + QStringLiteral(".GetAll"),
        { QVariantMap { { QStringLiteral("OnBattery"), true }, { QStringLiteral("LidIsClosed"), false } } });
    startWorkspace();
    QTRY_VERIFY(m_workspace->isOnBattery());
    m_transcript->clear();

    const auto announce = [&upower](const QString& name, const QVariant& value) {
        upower.say(upowerPath, propertiesInterface, QStringLiteral("PropertiesChanged"),
            { upowerService, changes(name, value), QStringList() });
    };
    announce(QStringLiteral("LidIsClosed"), true);
    announce(QStringLiteral("OnBattery"), false);
    QTRY_COMPARE(m_transcript->lines(), QStringList { "powerStateChanged" });
    QVERIFY(!m_workspace->isOnBattery());
    announce(QStringLiteral("OnBattery"), true);
    QTRY_VERIFY(m_workspace->isOnBattery());
}

void tst_SystemWorkspace::reduceMotionFollowsTheDesktopAnimations()
{
    ScriptedService portal(m_bus->connect(QStringLiteral("portal")), portalService, portalPath);
    QVERIFY(portal.isRegistered());
    // Older portals wrap the value twice.
    portal.answer(portalPath, portalSettings + QStringLiteral(".Read"), { variant(variant(false)) });
    startWorkspace();
    QTRY_VERIFY(m_workspace->reduceMotion());
    m_transcript->clear();

    const auto setting = [&portal](const QString& group, const QString& key, const QVariant& value) {
        portal.say(portalPath, portalSettings, QStringLiteral("SettingChanged"), { group, key, variant(value) });
    };
    setting(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("color-scheme"), true);
    setting(QStringLiteral("org.gnome.desktop.wm"), QStringLiteral("enable-animations"), true);
    setting(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("enable-animations"), QStringLiteral("yes"));
    setting(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("enable-animations"), true);
    QTRY_COMPARE(m_transcript->lines(), QStringList { "reduceMotionChanged" });
    QVERIFY(!m_workspace->reduceMotion());
}

void tst_SystemWorkspace::displayChangesAndEndedApplications()
{
    m_applications->add(500, QStringLiteral("com.lanto.mac"), QStringLiteral("Lanto"));
    startWorkspace(20ms);

    m_displays->addDisplay(QStringLiteral("External"), QRect(0, 0, 800, 600));
    QCOMPARE(m_transcript->lines(), QStringList { "screenParametersChanged" });

    QSignalSpy terminated(m_workspace.get(), &Workspace::applicationDidTerminate);
    m_applications->remove(500);
    QVERIFY(terminated.wait());
    QCOMPARE(terminated.first().first().value<RunningApplication>().bundleIdentifier, QStringLiteral("com.lanto.mac"));
}

// Polling /proc costs wake-ups; a program that never asks about ended applications pays none.
void tst_SystemWorkspace::processListIsReadOnlyWhileSomeoneListens()
{
    m_applications->add(600, QStringLiteral("editor"));
    SystemWorkspaceSources sources;
    sources.applicationCheckInterval = 20ms;
    SystemWorkspace workspace(*m_displays, *m_applications, *m_notices, sources);
    auto* watcher = workspace.findChild<ApplicationExitWatcher*>();
    QVERIFY(watcher);
    QVERIFY(!watcher->isWatching());

    int ended = 0;
    const QMetaObject::Connection listening
        = connect(&workspace, &Workspace::applicationDidTerminate, this, [&ended] { ++ended; });
    QVERIFY(watcher->isWatching());
    m_applications->remove(600);
    QTRY_COMPARE(ended, 1);
    disconnect(listening);
    QTRY_VERIFY(!watcher->isWatching());
}

void tst_SystemWorkspace::withoutAnyServiceEverythingIsQuiet()
{
    startWorkspace();
    QVERIFY(!m_workspace->isOnBattery());
    QVERIFY(!m_workspace->isLowPowerMode());
    QVERIFY(!m_workspace->reduceMotion());

    // Nor does a workspace without any bus at all fail.
    SystemWorkspaceSources none;
    none.powerSupplyFolder = m_sys->path();
    none.systemBus = QDBusConnection(QStringLiteral("no such connection"));
    none.sessionBus = none.systemBus;
    SystemWorkspace offline(*m_displays, *m_applications, *m_notices, none);
    QVERIFY(!offline.isOnBattery());
    QCOMPARE(m_transcript->lines(), QStringList());
}

QTEST_GUILESS_MAIN(tst_SystemWorkspace)

#include "tst_systemworkspace.moc"
