#include "DistributedNotifications.h"
#include "FakeDistributedNotifications.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include <cstdio>

// The test program doubles as the other process: started with "--post NAME"
// it posts once and quits at once; with "--expect NAME" it says "ready" and
// exits 0 when the notice arrives.

namespace {

// Names of our own, so that other programs on the same bus never interfere.
QString uniqueName(const char* what)
{
    return QStringLiteral("com.lanto.test.%1.%2").arg(QLatin1String(what), QUuid::createUuid().toString(QUuid::Id128));
}

int runChild(const QString& mode, const QString& name)
{
    DBusDistributedNotifications notifications;
    if (mode == QLatin1String("--post")) {
        notifications.post(name);
        return 0;
    }
    int result = 1;
    notifications.observe(name, &notifications, [&result] {
        result = 0;
        QCoreApplication::quit();
    });
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    QTimer::singleShot(20000, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    return result;
}

} // namespace

class tst_DistributedNotifications : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void anotherProcessPostReachesUs();
    void ourPostReachesAnotherProcess();
    void ourOwnPostReachesOurObservers();
    void observerEndsWithItsContext();
    void malformedAndOversizedNoticesAreDropped();
    void systemNoticesAreDeliveredLocally();
    void fakeRecordsPostsAndEchoesThem();
};

void tst_DistributedNotifications::initTestCase()
{
    // The tests run inside their own session bus (dbus-run-session).
    QVERIFY(QDBusConnection::sessionBus().isConnected());
}

void tst_DistributedNotifications::anotherProcessPostReachesUs()
{
    const QString name = uniqueName("posted");
    DBusDistributedNotifications notifications;
    int received = 0;
    int others = 0;
    notifications.observe(name, this, [&received] { ++received; });
    notifications.observe(uniqueName("other"), this, [&others] { ++others; });

    // The child quits right after posting: the notice must have left by then.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--post"), name });
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitCode(), 0);

    QTRY_COMPARE(received, 1);
    QCOMPARE(others, 0);
}

void tst_DistributedNotifications::ourPostReachesAnotherProcess()
{
    const QString name = uniqueName("expected");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--expect"), name });
    QVERIFY(child.waitForReadyRead(20000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));

    DBusDistributedNotifications notifications;
    notifications.post(name);
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitCode(), 0);
}

void tst_DistributedNotifications::ourOwnPostReachesOurObservers()
{
    const QString name = uniqueName("own");
    DBusDistributedNotifications notifications;
    int received = 0;
    notifications.observe(name, this, [&received] { ++received; });
    notifications.post(name);
    QTRY_COMPARE(received, 1);
    // Posted once, delivered once: a later notice finds no second delivery.
    QSignalSpy spy(&notifications, &DistributedNotifications::received);
    notifications.post(uniqueName("marker"));
    QVERIFY(spy.wait());
    QCOMPARE(received, 1);
}

void tst_DistributedNotifications::observerEndsWithItsContext()
{
    const QString name = uniqueName("context");
    DBusDistributedNotifications notifications;
    int received = 0;
    auto context = std::make_unique<QObject>();
    notifications.observe(name, context.get(), [&received] { ++received; });
    const QMetaObject::Connection kept = notifications.observe(name, this, [] {});

    notifications.post(name);
    QTRY_COMPARE(received, 1);

    context.reset();
    QVERIFY(QObject::disconnect(kept));
    QSignalSpy spy(&notifications, &DistributedNotifications::received);
    notifications.post(name);
    QVERIFY(spy.wait());
    QCOMPARE(received, 1);
}

void tst_DistributedNotifications::malformedAndOversizedNoticesAreDropped()
{
    const QString name = uniqueName("valid");
    DBusDistributedNotifications notifications;
    QSignalSpy spy(&notifications, &DistributedNotifications::received);

    // Anyone on the bus can send anything under our signal's name.
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("intruder"));
    const auto forged = [](const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createSignal(QStringLiteral("/com/lanto/DistributedNotifications"),
            QStringLiteral("com.lanto.DistributedNotifications"), QStringLiteral("Posted"));
        message.setArguments(arguments);
        return message;
    };
    QVERIFY(other.send(forged({ 42 })));
    QVERIFY(other.send(forged({})));
    QVERIFY(other.send(forged({ name, name })));
    QVERIFY(other.send(forged({ QString(DistributedNotifications::maxNameLength + 1, QLatin1Char('a')) })));
    QVERIFY(other.send(forged({ QString() })));
    notifications.post(QString(DistributedNotifications::maxNameLength + 1, QLatin1Char('b')));
    // Sent last from the same connection, so it arrives after the others.
    QVERIFY(other.send(forged({ name })));

    QVERIFY(spy.wait());
    QTRY_COMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first().toString(), name);
    QDBusConnection::disconnectFromBus(QStringLiteral("intruder"));
}

void tst_DistributedNotifications::systemNoticesAreDeliveredLocally()
{
    DBusDistributedNotifications notifications;
    int locked = 0;
    notifications.observe(DistributedNotificationNames::screenIsLocked, this, [&locked] { ++locked; });
    notifications.deliver(DistributedNotificationNames::screenIsLocked);
    QCOMPARE(locked, 1);
}

void tst_DistributedNotifications::fakeRecordsPostsAndEchoesThem()
{
    FakeDistributedNotifications notifications;
    int changed = 0;
    notifications.observe(DistributedNotificationNames::wallpaperChanged, this, [&changed] { ++changed; });

    notifications.post(DistributedNotificationNames::wallpaperChanged);
    QCOMPARE(notifications.posted(), QStringList { DistributedNotificationNames::wallpaperChanged });
    QCOMPARE(changed, 0); // like the bus, delivery comes from the event loop
    QTRY_COMPARE(changed, 1);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && (qstrcmp(argv[1], "--post") == 0 || qstrcmp(argv[1], "--expect") == 0))
        return runChild(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    tst_DistributedNotifications test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_distributednotifications.moc"
