#include "Scheduler.h"

#include <QTest>
#include <QThread>

#include <thread>

using namespace std::chrono_literals;

class MainThreadSchedulerTest : public QObject
{
    Q_OBJECT

private slots:
    void workScheduledFromAnyThreadRunsOnTheMainThread()
    {
        MainThreadScheduler scheduler;
        QThread* ranOn = nullptr;
        bool ran = false;
        std::thread([&] {
            scheduler.after(20ms, [&] {
                ranOn = QThread::currentThread();
                ran = true;
            });
        }).join();
        QTRY_VERIFY(ran);
        QCOMPARE(ranOn, QCoreApplication::instance()->thread());
    }

    void negativeDelaysRunAtOnce()
    {
        MainThreadScheduler scheduler;
        bool ran = false;
        scheduler.after(-5s, [&] { ran = true; });
        QTRY_VERIFY(ran);
    }

    void cancelledAndOrphanedWorkNeverRuns()
    {
        int runs = 0;
        {
            MainThreadScheduler scheduler;
            scheduler.after(10ms, [&] { ++runs; })->cancel();
            scheduler.after(10ms, [&] { ++runs; });
        }
        MainThreadScheduler witness;
        bool witnessRan = false;
        witness.after(50ms, [&] { witnessRan = true; });
        QTRY_VERIFY(witnessRan);
        QCOMPARE(runs, 0);
    }
};

QTEST_GUILESS_MAIN(MainThreadSchedulerTest)
#include "tst_mainthreadscheduler.moc"
