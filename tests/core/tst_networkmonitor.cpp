#include "NetworkMonitor.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <thread>

using Reachability = QNetworkInformation::Reachability;

class TestNetworkMonitor : public QObject
{
    Q_OBJECT

private slots:
    void startsConnected();
    void notifiesOnlyOnChange_data();
    void notifiesOnlyOnChange();
    void changesOnlyAfterTheHop();
    void updateFromAnotherThreadIsAppliedOnMainThread();
    void pendingUpdateForDestroyedMonitorIsDropped();
};

void TestNetworkMonitor::startsConnected()
{
    NetworkMonitor monitor;
    QVERIFY(monitor.isConnected());
}

void TestNetworkMonitor::notifiesOnlyOnChange_data()
{
    QTest::addColumn<QList<Reachability>>("updates");
    QTest::addColumn<QList<bool>>("notices");

    QTest::newRow("online repeated") << QList{Reachability::Online, Reachability::Online} << QList<bool>{};
    QTest::newRow("offline then online")
        << QList{Reachability::Disconnected, Reachability::Online} << QList{false, true};
    QTest::newRow("offline repeated")
        << QList{Reachability::Disconnected, Reachability::Disconnected, Reachability::Disconnected}
        << QList{false};
    QTest::newRow("local network only is offline")
        << QList{Reachability::Local, Reachability::Online} << QList{false, true};
    QTest::newRow("routed network without verified internet is online")
        << QList{Reachability::Local, Reachability::Site, Reachability::Online} << QList{false, true};
    QTest::newRow("losing internet but keeping the route stays online")
        << QList{Reachability::Online, Reachability::Site} << QList<bool>{};
    QTest::newRow("unknown keeps offline")
        << QList{Reachability::Disconnected, Reachability::Unknown} << QList{false};
    QTest::newRow("unknown keeps online") << QList{Reachability::Unknown} << QList<bool>{};
    QTest::newRow("flapping")
        << QList{Reachability::Disconnected, Reachability::Online, Reachability::Online,
                 Reachability::Disconnected}
        << QList{false, true, false};
}

void TestNetworkMonitor::notifiesOnlyOnChange()
{
    QFETCH(QList<Reachability>, updates);
    QFETCH(QList<bool>, notices);

    NetworkMonitor monitor;
    QSignalSpy spy(&monitor, &NetworkMonitor::isConnectedChanged);
    for (Reachability reachability : updates)
        monitor.updateReachability(reachability);
    QCoreApplication::sendPostedEvents(&monitor);

    QList<bool> seen;
    for (const QList<QVariant>& arguments : spy)
        seen << arguments.at(0).toBool();
    QCOMPARE(seen, notices);
    QCOMPARE(monitor.isConnected(), notices.isEmpty() ? true : notices.last());
}

void TestNetworkMonitor::changesOnlyAfterTheHop()
{
    NetworkMonitor monitor;
    QSignalSpy spy(&monitor, &NetworkMonitor::isConnectedChanged);
    monitor.updateReachability(Reachability::Disconnected);
    QVERIFY(monitor.isConnected());
    QVERIFY(spy.wait());
    QVERIFY(!monitor.isConnected());
}

void TestNetworkMonitor::updateFromAnotherThreadIsAppliedOnMainThread()
{
    NetworkMonitor monitor;
    QThread* notifiedOn = nullptr;
    bool valueSeenInNotice = true;
    connect(&monitor, &NetworkMonitor::isConnectedChanged, this, [&](bool) {
        notifiedOn = QThread::currentThread();
        valueSeenInNotice = monitor.isConnected();
    });

    std::thread reporter([&monitor] { monitor.updateReachability(Reachability::Disconnected); });
    reporter.join();

    QTRY_VERIFY(notifiedOn != nullptr);
    QCOMPARE(notifiedOn, QThread::currentThread());
    QVERIFY(!valueSeenInNotice);
}

void TestNetworkMonitor::pendingUpdateForDestroyedMonitorIsDropped()
{
    auto* monitor = new NetworkMonitor;
    QPointer<NetworkMonitor> guard(monitor);
    monitor->updateReachability(Reachability::Disconnected);
    delete monitor;
    QCoreApplication::processEvents();
    QVERIFY(guard.isNull());
}

QTEST_GUILESS_MAIN(TestNetworkMonitor)
#include "tst_networkmonitor.moc"
