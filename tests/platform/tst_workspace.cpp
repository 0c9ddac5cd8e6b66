#include "ApplicationExitWatcher.h"
#include "FakeRunningApplications.h"
#include "PowerSupply.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// One supply of a made-up /sys/class/power_supply; empty values are left out.
void writeSupply(const QString& folder, const QString& name, const QByteArray& type, const QByteArray& online,
    const QByteArray& status, const QByteArray& scope = QByteArray())
{
    const QString dir = folder + QLatin1Char('/') + name;
    QDir().mkpath(dir);
    const auto write = [&dir](const char* attribute, const QByteArray& value) {
        if (value.isEmpty())
            return;
        QFile file(dir + QLatin1Char('/') + QLatin1String(attribute));
        if (file.open(QIODevice::WriteOnly))
            file.write(value + '\n');
    };
    write("type", type);
    write("online", online);
    write("status", status);
    write("scope", scope);
}

} // namespace

class tst_Workspace : public QObject
{
    Q_OBJECT

private slots:
    void raisedNoticesReachSubscribers_data();
    void raisedNoticesReachSubscribers();
    void raisedNoticesCarryTheirSubject();
    void statesAnnounceOnlyChanges();
    void powerSupplyReading_data();
    void powerSupplyReading();
    void powerSupplyToleratesJunk();
    void powerSupplyRefreshAnnouncesChanges();
    void exitWatcherReportsEndedApplications();
};

void tst_Workspace::raisedNoticesReachSubscribers_data()
{
    QTest::addColumn<QByteArray>("raise");
    QTest::addColumn<QByteArray>("signal");
    QTest::newRow("will sleep") << QByteArray("raiseWillSleep") << QByteArray(SIGNAL(willSleep()));
    QTest::newRow("did wake") << QByteArray("raiseDidWake") << QByteArray(SIGNAL(didWake()));
    QTest::newRow("screens sleep") << QByteArray("raiseScreensDidSleep") << QByteArray(SIGNAL(screensDidSleep()));
    QTest::newRow("screens wake") << QByteArray("raiseScreensDidWake") << QByteArray(SIGNAL(screensDidWake()));
    QTest::newRow("session resign") << QByteArray("raiseSessionDidResignActive")
                                    << QByteArray(SIGNAL(sessionDidResignActive()));
    QTest::newRow("session active") << QByteArray("raiseSessionDidBecomeActive")
                                    << QByteArray(SIGNAL(sessionDidBecomeActive()));
    QTest::newRow("space") << QByteArray("raiseActiveSpaceDidChange") << QByteArray(SIGNAL(activeSpaceDidChange()));
    QTest::newRow("screen parameters") << QByteArray("raiseScreenParametersChanged")
                                       << QByteArray(SIGNAL(screenParametersChanged()));
}

void tst_Workspace::raisedNoticesReachSubscribers()
{
    QFETCH(QByteArray, raise);
    QFETCH(QByteArray, signal);
    Workspace workspace;
    // Every notice, to see that each raise reaches its own signal only.
    QList<QSignalSpy*> all;
    const QMetaObject* meta = workspace.metaObject();
    QSignalSpy* expected = nullptr;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal)
            continue;
        all << new QSignalSpy(&workspace, QByteArray("2" + method.methodSignature()).constData());
        if ("2" + method.methodSignature() == signal)
            expected = all.last();
    }
    QVERIFY(expected != nullptr);

    QVERIFY(QMetaObject::invokeMethod(&workspace, raise.constData()));
    for (QSignalSpy* spy : std::as_const(all))
        QCOMPARE(spy->size(), spy == expected ? 1 : 0);
    qDeleteAll(all);
}

void tst_Workspace::raisedNoticesCarryTheirSubject()
{
    Workspace workspace;
    QSignalSpy terminated(&workspace, &Workspace::applicationDidTerminate);
    QSignalSpy occlusion(&workspace, &Workspace::windowOcclusionChanged);

    workspace.raiseApplicationDidTerminate({ 77, QStringLiteral("com.lanto.mac"), QStringLiteral("Lanto") });
    QObject window;
    workspace.raiseWindowOcclusionChanged(&window);

    QCOMPARE(terminated.size(), 1);
    const auto application = terminated.first().first().value<RunningApplication>();
    QCOMPARE(application.pid, 77);
    QCOMPARE(application.bundleIdentifier, QStringLiteral("com.lanto.mac"));
    QCOMPARE(occlusion.first().first().value<QObject*>(), &window);
}

void tst_Workspace::statesAnnounceOnlyChanges()
{
    Workspace workspace;
    QSignalSpy power(&workspace, &Workspace::powerStateChanged);
    QSignalSpy motion(&workspace, &Workspace::reduceMotionChanged);

    workspace.setOnBattery(false);
    workspace.setLowPowerMode(false);
    workspace.setReduceMotion(false);
    QCOMPARE(power.size(), 0);
    QCOMPARE(motion.size(), 0);

    workspace.setOnBattery(true);
    workspace.setOnBattery(true);
    workspace.setLowPowerMode(true);
    workspace.setReduceMotion(true);
    QCOMPARE(power.size(), 2);
    QCOMPARE(motion.size(), 1);
    QVERIFY(workspace.isOnBattery());
    QVERIFY(workspace.isLowPowerMode());
    QVERIFY(workspace.property("reduceMotion").toBool());
}

void tst_Workspace::powerSupplyReading_data()
{
    // Each supply: name, type, online, status, scope.
    QTest::addColumn<QList<QByteArrayList>>("supplies");
    QTest::addColumn<bool>("onBattery");

    QTest::newRow("desktop without supplies") << QList<QByteArrayList> {} << false;
    QTest::newRow("laptop plugged in") << QList<QByteArrayList> { { "AC", "Mains", "1", "", "" },
        { "BAT0", "Battery", "", "Charging", "" } }
                                       << false;
    QTest::newRow("laptop unplugged") << QList<QByteArrayList> { { "AC", "Mains", "0", "", "" },
        { "BAT0", "Battery", "", "Discharging", "" } }
                                      << true;
    QTest::newRow("unplugged, battery says full")
        << QList<QByteArrayList> { { "ACAD", "Mains", "0", "", "" }, { "BAT1", "Battery", "", "Full", "" } } << true;
    QTest::newRow("no mains entry, discharging")
        << QList<QByteArrayList> { { "BAT0", "Battery", "", "Discharging", "" } } << true;
    QTest::newRow("no mains entry, full") << QList<QByteArrayList> { { "BAT0", "Battery", "", "Full", "" } } << false;
    QTest::newRow("powered over usb-c") << QList<QByteArrayList> { { "AC", "Mains", "0", "", "" },
        { "ucsi-source-psy-1", "USB", "1", "", "" }, { "BAT0", "Battery", "", "Discharging", "" } }
                                        << false;
    QTest::newRow("only a mouse battery") << QList<QByteArrayList> { { "AC", "Mains", "0", "", "" },
        { "hidpp_battery_0", "Battery", "", "Discharging", "Device" } }
                                          << false;
    QTest::newRow("supply without type") << QList<QByteArrayList> { { "odd", "", "1", "", "" },
        { "BAT0", "Battery", "", "Discharging", "" } }
                                         << true;
}

void tst_Workspace::powerSupplyReading()
{
    QFETCH(QList<QByteArrayList>, supplies);
    QFETCH(bool, onBattery);
    QTemporaryDir folder;
    for (const QByteArrayList& supply : std::as_const(supplies))
        writeSupply(folder.path(), QString::fromLatin1(supply[0]), supply[1], supply[2], supply[3], supply[4]);

    QCOMPARE(PowerSupply::readIsOnBattery(folder.path()), onBattery);
    QCOMPARE(PowerSupply(folder.path()).isOnBattery(), onBattery);
}

void tst_Workspace::powerSupplyToleratesJunk()
{
    QTemporaryDir folder;
    writeSupply(folder.path(), QStringLiteral("BAT0"), "Battery", "", "Discharging");
    // A type far too long, binary noise and a plain file where a folder belongs.
    writeSupply(folder.path(), QStringLiteral("AC"), QByteArray(1024 * 1024, 'M'), QByteArray(1024 * 1024, '1'), "");
    writeSupply(folder.path(), QStringLiteral("NOISE"), QByteArray("\x00\xff\x01", 3), QByteArray("\xfe\x00", 2), "");
    QFile stray(folder.filePath(QStringLiteral("stray")));
    QVERIFY(stray.open(QIODevice::WriteOnly));

    // Neither junk entry says "1" for online.
    QCOMPARE(PowerSupply::readIsOnBattery(folder.path()), true);
    QCOMPARE(PowerSupply::readIsOnBattery(folder.filePath(QStringLiteral("missing"))), false);
}

void tst_Workspace::powerSupplyRefreshAnnouncesChanges()
{
    QTemporaryDir folder;
    writeSupply(folder.path(), QStringLiteral("AC"), "Mains", "1", "");
    writeSupply(folder.path(), QStringLiteral("BAT0"), "Battery", "", "Charging");
    PowerSupply supply(folder.path());
    QSignalSpy changed(&supply, &PowerSupply::onBatteryChanged);

    supply.refresh();
    QCOMPARE(changed.size(), 0);

    writeSupply(folder.path(), QStringLiteral("AC"), "Mains", "0", "");
    writeSupply(folder.path(), QStringLiteral("BAT0"), "Battery", "", "Discharging");
    supply.refresh();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().first().toBool(), true);
    QVERIFY(supply.isOnBattery());
}

void tst_Workspace::exitWatcherReportsEndedApplications()
{
    FakeRunningApplications applications;
    applications.add(10, QStringLiteral("com.lanto.mac"), QStringLiteral("Lanto"));
    applications.add(20, QStringLiteral("editor"));
    applications.add(30, QStringLiteral("player"));
    // Checked by hand here: the interval is long.
    ApplicationExitWatcher watcher(applications, 1h);
    QSignalSpy terminated(&watcher, &ApplicationExitWatcher::terminated);

    watcher.check();
    QCOMPARE(terminated.size(), 0);

    applications.remove(10);
    applications.remove(20);
    applications.add(40, QStringLiteral("newcomer"));
    // Pid 30 now belongs to another program: the player is gone too.
    applications.remove(30);
    applications.add(30, QStringLiteral("reused"));
    watcher.check();

    QList<qint64> gone;
    for (const QList<QVariant>& arguments : std::as_const(terminated))
        gone << arguments.first().value<RunningApplication>().pid;
    QCOMPARE(gone, (QList<qint64> { 10, 20, 30 }));
    QCOMPARE(terminated.first().first().value<RunningApplication>().bundleIdentifier, QStringLiteral("com.lanto.mac"));

    watcher.check();
    QCOMPARE(terminated.size(), 3);
}

QTEST_GUILESS_MAIN(tst_Workspace)

#include "tst_workspace.moc"
