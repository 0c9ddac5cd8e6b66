#include "HexID.h"
#include "LibraryFakes.h"
#include "ThumbnailPrefetcher.h"

#include <QTest>

namespace {

QList<Wallpaper> catalogue(int count)
{
    QList<Wallpaper> list;
    for (int i = 0; i < count; ++i) {
        Wallpaper w;
        w.edit().hexID = hexId(i);
        w.id = uuidFromHexID(w.hexID());
        w.edit().cloudID = w.hexID();
        w.edit().remoteThumbnailURL = "https://cdn.example/" + w.hexID() + ".jpg";
        list.append(w);
    }
    return list;
}

// Cancels every fetch it is asked for, as a source going away does.
class CancellingSource final : public ThumbnailSource
{
public:
    QFuture<std::optional<QUrl>> fetchThumbnail(const QString&, const QString&) override
    {
        QPromise<std::optional<QUrl>> promise;
        promise.start();
        return promise.future(); // destroyed unfinished: cancelled
    }
};

} // namespace

class TestThumbnailPrefetcher : public QObject
{
    Q_OBJECT

private slots:
    void aFewRequestsAtATimeAcrossLists()
    {
        FakeThumbnailSource source;
        source.answerAtOnce = false;
        ThumbnailPrefetcher prefetcher(source, 3);
        QList<Wallpaper> first = catalogue(5);
        first.append(first.first()); // repeated: fetched once
        Wallpaper local;
        local.edit().hexID = "abc1234"; // no cloud id
        first.append(local);
        const QFuture<void> a = prefetcher.prefetch(first);
        const QFuture<void> b = prefetcher.prefetch(catalogue(2));
        QCOMPARE(source.inFlight(), 3);
        while (source.inFlight() > 0) {
            QVERIFY(!b.isFinished());
            source.finishOldest();
            QCoreApplication::processEvents();
        }
        QTRY_VERIFY(a.isFinished() && b.isFinished());
        QCOMPARE(source.maxInFlight, 3);
        QCOMPARE(source.requested.size(), 7);
        QCOMPARE(prefetcher.inFlight(), 0);
    }

    void aListWithoutThumbnailsFinishesAtOnce()
    {
        FakeThumbnailSource source;
        ThumbnailPrefetcher prefetcher(source);
        QVERIFY(prefetcher.prefetch({}).isFinished());
        QVERIFY(prefetcher.prefetch({Wallpaper()}).isFinished());
    }

    void answersAtOnceKeepTheStackFlat()
    {
        FakeThumbnailSource source; // answers every fetch before returning it
        ThumbnailPrefetcher prefetcher(source, 1);
        const QFuture<void> done = prefetcher.prefetch(catalogue(50000));
        QTRY_VERIFY(done.isFinished());
        QCOMPARE(source.requested.size(), 50000);
    }

    void aListFinishesOnceWhenItsLastFetchAnswersAtOnce()
    {
        FakeThumbnailSource source;
        ThumbnailPrefetcher prefetcher(source);
        int continuations = 0;
        prefetcher.prefetch(catalogue(3)).then(&prefetcher, [&] { ++continuations; });
        QTRY_COMPARE(continuations, 1);
        QCoreApplication::processEvents();
        QCOMPARE(continuations, 1);
    }

    void cancelledFetchesCountAsFinished()
    {
        CancellingSource source;
        ThumbnailPrefetcher prefetcher(source, 2);
        const QFuture<void> done = prefetcher.prefetch(catalogue(5));
        QTRY_VERIFY(done.isFinished());
        QVERIFY(!done.isCanceled());
    }
};

QTEST_GUILESS_MAIN(TestThumbnailPrefetcher)
#include "tst_thumbnailprefetcher.moc"
