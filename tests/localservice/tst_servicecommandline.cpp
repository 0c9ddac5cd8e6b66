#include "ServiceCommandLine.h"

#include <QtTest>

class TestServiceCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestServiceCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("autoReview"); // -1: off
    QTest::addColumn<QString>("review"); // "id approve" / "id reject" / empty

    QTest::newRow("defaults") << QStringList {} << true << 0 << 0 << -1 << QString();
    QTest::newRow("everything") << QStringList { "--port", "8080", "--data", "/tmp/x", "--records", "500",
        "--auto-review", "5" } << true << 8080 << 500 << 5 << QString();
    QTest::newRow("approve") << QStringList { "review", "abc", "approve" } << true << 0 << 0 << -1 << "abc approve";
    QTest::newRow("reject") << QStringList { "--data", "/d", "review", "abc", "reject" } << true << 0 << 0 << -1
                            << "abc reject";
    QTest::newRow("a port too large") << QStringList { "--port", "70000" } << false << 0 << 0 << -1 << QString();
    QTest::newRow("records not a number") << QStringList { "--records", "many" } << false << 0 << 0 << -1
                                          << QString();
    QTest::newRow("negative review time") << QStringList { "--auto-review", "-1" } << false << 0 << 0 << -1
                                          << QString();
    QTest::newRow("a review without a decision") << QStringList { "review", "abc" } << false << 0 << 0 << -1
                                                 << QString();
    QTest::newRow("an unknown decision") << QStringList { "review", "abc", "maybe" } << false << 0 << 0 << -1
                                         << QString();
    QTest::newRow("an unknown option") << QStringList { "--fast" } << false << 0 << 0 << -1 << QString();
}

void TestServiceCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    QFETCH(int, port);
    QFETCH(int, records);
    QFETCH(int, autoReview);
    QFETCH(QString, review);

    QString error;
    const std::optional<ServiceCommandLine> line
        = ServiceCommandLine::parse(QStringList { "lanto-service" } + arguments, &error);
    QCOMPARE(line.has_value(), valid);
    if (!valid) {
        QVERIFY(error.contains("usage: lanto-service"));
        return;
    }
    QCOMPARE(line->port, port);
    QCOMPARE(line->records, records);
    QCOMPARE(line->autoReviewSeconds.value_or(-1), autoReview);
    QCOMPARE(line->reviewId ? *line->reviewId + (line->approve ? " approve" : " reject") : QString(), review);
    QVERIFY(!line->dataFolder.isEmpty());
}

QTEST_GUILESS_MAIN(TestServiceCommandLine)
#include "tst_servicecommandline.moc"
