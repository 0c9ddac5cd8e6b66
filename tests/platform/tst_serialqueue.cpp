#include "SerialQueue.h"
#include "VirtualScheduler.h"

#include <QTest>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

class SerialQueueTest : public QObject
{
    Q_OBJECT

private slots:
    void runsWorkInSubmissionOrderOffTheCaller()
    {
        SerialQueue queue(QStringLiteral("com.lanto.test"));
        QCOMPARE(queue.label(), QStringLiteral("com.lanto.test"));
        std::vector<int> order;
        std::atomic<bool> ranOnQueue = true;
        for (int i = 0; i < 100; ++i) {
            queue.async([&, i] {
                ranOnQueue = ranOnQueue && queue.isCurrent();
                order.push_back(i);
            });
        }
        const auto size = queue.sync([&] { return order.size(); });
        QCOMPARE(size, std::optional<size_t>(100));
        QVERIFY(std::is_sorted(order.begin(), order.end()));
        QVERIFY(ranOnQueue);
        QVERIFY(!queue.isCurrent());
    }

    void syncFromInsideTheQueueRunsInline()
    {
        SerialQueue queue(QStringLiteral("q"));
        const auto value = queue.sync([&] { return queue.sync([] { return 7; }).value(); });
        QCOMPARE(value, std::optional<int>(7));
    }

    void delayedWorkRunsWhenDueAndCanBeCancelled()
    {
        SerialQueue queue(QStringLiteral("q"));
        std::mutex mutex;
        std::vector<QString> ran;
        auto record = [&](const QString& name) {
            return [&, name] {
                std::lock_guard lock(mutex);
                ran.push_back(name);
            };
        };
        // The queue is held until everything is submitted, so a slow test thread cannot reorder the items.
        std::promise<void> gate;
        queue.async([future = gate.get_future().share()] { future.wait(); });
        std::promise<void> done;
        queue.async(record("now"));
        queue.asyncAfter(60ms, [&] { done.set_value(); });
        queue.asyncAfter(40ms, record("late"));
        auto cancelled = queue.asyncAfter(20ms, record("cancelled"));
        queue.asyncAfter(10ms, record("early"));
        cancelled->cancel();
        gate.set_value();
        QCOMPARE(done.get_future().wait_for(5s), std::future_status::ready);
        std::lock_guard lock(mutex);
        QCOMPARE(ran, (std::vector<QString>{"now", "early", "late"}));
    }

    void destroyingTheQueueDropsPendingWork()
    {
        std::atomic<int> runs = 0;
        {
            SerialQueue queue(QStringLiteral("q"));
            queue.asyncAfter(1h, [&] { ++runs; });
            queue.sync([&] { ++runs; });
        }
        QCOMPARE(runs.load(), 1);
    }

    void syncRacingDestructionReturnsUnrun()
    {
        // The queue is busy, a second thread waits in sync(), and the queue is
        // destroyed: the waiter is released when the pending work is dropped,
        // before the running item ends. Whether its item was already queued or
        // refused by the stopping queue, it returns false and its work never runs.
        for (int round = 0; round < 20; ++round) {
            // Raw: the object stays alive while its destructor waits on the busy item.
            auto* queue = new SerialQueue(QStringLiteral("q"));
            std::promise<void> release;
            std::promise<void> busy;
            queue->async([&busy, held = release.get_future().share()] {
                busy.set_value();
                held.wait();
            });
            busy.get_future().wait();

            std::atomic<bool> ran = false;
            std::promise<bool> outcome;
            std::thread waiter([&] { outcome.set_value(queue->sync([&] { ran = true; })); });
            std::thread destroyer([queue] { delete queue; });

            auto returned = outcome.get_future();
            const bool releasedWhileBusy = returned.wait_for(10s) == std::future_status::ready;
            release.set_value();
            destroyer.join();
            waiter.join();
            QVERIFY(releasedWhileBusy);
            QCOMPARE(returned.get(), false);
            QVERIFY(!ran);
        }
    }

    void droppedWorkMayUseItsQueueAsItGoes()
    {
        // Dropped work owns an object whose destructor submits to the same queue
        // (and is refused): dropping must not hold the queue's lock.
        std::atomic<bool> submittedAtDrop = false;
        auto* queue = new SerialQueue(QStringLiteral("q"));
        auto guard = std::shared_ptr<void>(nullptr, [&, queue](void*) {
            queue->async([] {});
            submittedAtDrop = true;
        });
        queue->asyncAfter(1h, [guard] {});
        guard.reset();
        delete queue;
        QVERIFY(submittedAtDrop);
    }

    void virtualTimeRunsDueItemsInOrder()
    {
        VirtualScheduler scheduler;
        std::vector<int> ran;
        scheduler.after(300s, [&] { ran.push_back(300); });
        scheduler.after(50ms, [&] {
            ran.push_back(50);
            scheduler.after(50ms, [&] { ran.push_back(100); });
        });
        scheduler.after(50ms, [&] { ran.push_back(51); });
        scheduler.after(1s, [&] { ran.push_back(1000); })->cancel();
        scheduler.advance(100ms);
        QCOMPARE(ran, (std::vector<int>{50, 51, 100}));
        scheduler.advance(300s);
        QCOMPARE(ran.back(), 300);
        QCOMPARE(scheduler.performedCount(), 4);
        QCOMPARE(scheduler.pendingCount(), 0);
    }
};

QTEST_GUILESS_MAIN(SerialQueueTest)
#include "tst_serialqueue.moc"
