#include "LogCapture.h"
#include "ServiceOverrides.h"

#include <QtTest>

class TestServiceOverrides : public QObject
{
    Q_OBJECT

private slots:
    void acceptable_data();
    void acceptable();
    void fromEnvironment();
};

void TestServiceOverrides::acceptable_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("https anywhere") << "https://api.example.org/api/v1" << true;
    QTest::newRow("http on 127.0.0.1") << "http://127.0.0.1:8080/api/v1" << true;
    QTest::newRow("http on another loopback address") << "http://127.3.4.5:80/" << true;
    QTest::newRow("http on ::1") << "http://[::1]:9000/api/v1" << true;
    QTest::newRow("http on localhost") << "http://LocalHost:9000/api/v1" << true;
    QTest::newRow("http on the network") << "http://192.168.1.2:8080/api/v1" << false;
    QTest::newRow("http on a name") << "http://api.example.org/api/v1" << false;
    QTest::newRow("http on a name that starts like loopback") << "http://127.0.0.1.example.org/" << false;
    QTest::newRow("another scheme") << "ftp://127.0.0.1/" << false;
    QTest::newRow("no host") << "https:///api/v1" << false;
    QTest::newRow("relative") << "/api/v1" << false;
}

void TestServiceOverrides::acceptable()
{
    QFETCH(QString, url);
    QFETCH(bool, accepted);
    QCOMPARE(ServiceOverrides::isAcceptable(QUrl(url)), accepted);
}

void TestServiceOverrides::fromEnvironment()
{
    LogCapture log;
    qunsetenv("LANTO_TEST_ADDRESS");
    QVERIFY(!ServiceOverrides::fromEnvironment("LANTO_TEST_ADDRESS"));
    QVERIFY(log.lines().isEmpty());

    qputenv("LANTO_TEST_ADDRESS", "http://10.0.0.1/api/v1");
    QVERIFY(!ServiceOverrides::fromEnvironment("LANTO_TEST_ADDRESS"));
    QCOMPARE(log.lines().size(), 1);
    QVERIFY(log.lines().first().startsWith("Lanto: Ignoring LANTO_TEST_ADDRESS"));

    qputenv("LANTO_TEST_ADDRESS", "http://127.0.0.1:4000/api/v1");
    QCOMPARE(ServiceOverrides::fromEnvironment("LANTO_TEST_ADDRESS"), QUrl("http://127.0.0.1:4000/api/v1"));
    qunsetenv("LANTO_TEST_ADDRESS");
}

QTEST_GUILESS_MAIN(TestServiceOverrides)
#include "tst_serviceoverrides.moc"
