#include "SerialQueue.h"
#include "ThreadName.h"

#include <QTest>

#include <pthread.h>

class ThreadNameTest : public QObject
{
    Q_OBJECT

private slots:
    void shortensToWhatTheSystemKeeps_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("short as it is") << QStringLiteral("lanto/video") << QByteArray("lanto/video");
        QTest::newRow("common prefix dropped") << QStringLiteral("com.lanto.settings") << QByteArray("settings");
        QTest::newRow("prefix then cut") << QStringLiteral("com.lanto.settings.write.more")
                                         << QByteArray("settings.write.");
        // "é" is two bytes: a cut through it would leave half a character.
        QTest::newRow("no half character") << QStringLiteral("aaaaaaaaaaaaaaé") << QByteArray("aaaaaaaaaaaaaa");
    }

    void shortensToWhatTheSystemKeeps()
    {
        QFETCH(QString, label);
        QFETCH(QByteArray, name);
        QCOMPARE(threadName(label), name);
    }

    // The queue's thread carries its label, so a per-thread listing of the process tells it apart.
    void queueThreadCarriesItsLabel()
    {
        SerialQueue queue(QStringLiteral("com.lanto.settings.write"));
        const std::optional<QByteArray> name = queue.sync([] {
            char buffer[16] = {};
            pthread_getname_np(pthread_self(), buffer, sizeof buffer);
            return QByteArray(buffer);
        });
        QCOMPARE(name, std::optional<QByteArray>("settings.write"));
    }
};

QTEST_GUILESS_MAIN(ThreadNameTest)
#include "tst_threadname.moc"
