#include "AwaitFuture.h"
#include "CatalogueCache.h"
#include "ChunkedMap.h"
#include "FutureDelivery.h"

#include <QPromise>
#include <QTemporaryDir>
#include <QTest>
#include <QElapsedTimer>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Futures that finish on another thread, as fast as it can finish them, so
// that many of them finish while their continuations are being attached.
// Each resolves to the list of its one number.
using Source = std::function<QFuture<QList<int>>(int)>;

QFuture<QList<int>> poolRun(int n)
{
    return QtConcurrent::run([n] { return QList<int> { n }; });
}

QFuture<QList<int>> promiseOnPool(int n)
{
    auto promise = std::make_shared<QPromise<QList<int>>>();
    QFuture<QList<int>> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, n] {
        promise->addResult(QList<int> { n });
        promise->finish();
    });
    return future;
}

void spin(int micros)
{
    QElapsedTimer t;
    t.start();
    while (t.nsecsElapsed() < micros * 1000) {
    }
}

// Finished behind a crowd of watchers, each told of the finish first.
QFuture<QList<int>> watchedPromise(int n)
{
    static QObject owner;
    auto promise = std::make_shared<QPromise<QList<int>>>();
    QFuture<QList<int>> future = promise->future();
    promise->start();
    for (int i = 0; i < 16; ++i) {
        auto* w = new QFutureWatcher<QList<int>>(&owner);
        QObject::connect(w, &QFutureWatcherBase::finished, w, &QObject::deleteLater);
        w->setFuture(future);
    }
    QThreadPool::globalInstance()->start([promise, n] {
        promise->addResult(QList<int> { n });
        spin(n % 7);
        promise->finish();
    });
    spin(n % 5);
    return future;
}

QFuture<QList<int>> chunkedMap(int n)
{
    return mapInChunks(QList<int> { n }, [](int value) { return value; });
}

} // namespace

class TestFutureDelivery : public QObject
{
    Q_OBJECT

private slots:
    // Every continuation runs exactly once, however its future's finish and
    // the attach interleave.
    void eachContinuationRunsOnce_data()
    {
        QTest::addColumn<Source>("source");
        QTest::addColumn<int>("attaches");
        QTest::newRow("pool run") << Source(poolRun) << 10000;
        QTest::newRow("promise finished on the pool") << Source(promiseOnPool) << 10000;
        QTest::newRow("chunked map") << Source(chunkedMap) << 10000;
        // Crashed nearly every run when continuations were attached directly.
        QTest::newRow("watched promise") << Source(watchedPromise) << 10000;
    }

    void eachContinuationRunsOnce()
    {
        QFETCH(Source, source);
        QFETCH(int, attaches);
        QObject context;
        std::vector<int> runs(attaches, 0);
        int total = 0;
        for (int n = 0; n < attaches; ++n) {
            deliveredTo(&context, source(n)).then(&context, [&runs, &total](const QList<int>& value) {
                ++runs[size_t(value.constFirst())];
                ++total;
            });
        }
        QTRY_COMPARE_WITH_TIMEOUT(total, attaches, 60000);
        QCoreApplication::sendPostedEvents(); // a second run would be queued by now
        QCOMPARE(total, attaches);
        for (int n = 0; n < attaches; ++n)
            QCOMPARE(runs[size_t(n)], 1);
    }

    // The catalogue cache's reads, handed to the main thread as the library
    // takes them at start.
    void cacheLoadsArriveOnce()
    {
        QTemporaryDir dir;
        CatalogueCache cache(dir.filePath(QStringLiteral("wallpaper-cache.json")));
        QObject context;
        constexpr int loads = 5000;
        int arrived = 0;
        for (int n = 0; n < loads; ++n)
            deliveredTo(&context, cache.load()).then(&context, [&arrived](const QList<APIWallpaper>&) { ++arrived; });
        QTRY_COMPARE_WITH_TIMEOUT(arrived, loads, 60000);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(arrived, loads);
    }

    // What the work ends in reaches the delivered future.
    void outcomeIsHandedOn()
    {
        QObject context;
        QCOMPARE(awaitFuture(runDeliveredTo(&context, [] { return 7; })), std::optional(7));

        QPromise<int> failing;
        QFuture<int> thrown = deliveredTo(&context, failing.future());
        failing.start();
        failing.setException(std::make_exception_ptr(std::runtime_error("broken")));
        failing.finish();
        QTRY_VERIFY(thrown.isFinished());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, thrown.result());

        QPromise<int> dropped;
        QFuture<int> cancelled = deliveredTo(&context, dropped.future());
        dropped.start();
        dropped.future().cancel();
        dropped.finish();
        QTRY_VERIFY(cancelled.isFinished());
        QVERIFY(cancelled.isCanceled());
    }

    // A context that goes first leaves nothing running and nothing to call.
    void goneContextCancels()
    {
        QPromise<int> pending;
        pending.start();
        QFuture<int> delivered;
        {
            QObject context;
            delivered = deliveredTo(&context, pending.future());
        }
        QVERIFY(delivered.isFinished());
        QVERIFY(delivered.isCanceled());
        pending.addResult(1);
        pending.finish();
    }
};

QTEST_GUILESS_MAIN(TestFutureDelivery)
#include "tst_futuredelivery.moc"
