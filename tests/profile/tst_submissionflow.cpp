#include "LibraryRig.h"
#include "StatusRefresh.h"
#include "SubmissionFlow.h"

#include <QPromise>
#include <QTest>

using namespace std::chrono_literals;

// The My Wallpapers side of a submission and of the review-state refresh.
class SubmissionFlowTest : public QObject
{
    Q_OBJECT

    struct Rig
    {
        bool running = false;
        QList<Wallpaper> submitted;
        std::shared_ptr<QPromise<std::optional<QString>>> pending;
        SubmissionFlow flow { [this](const Wallpaper& wallpaper) {
                                 submitted.append(wallpaper);
                                 running = true;
                                 pending = std::make_shared<QPromise<std::optional<QString>>>();
                                 pending->start();
                                 return pending->future();
                             },
            [this] { return running; } };

        void end(std::optional<QString> failure)
        {
            running = false;
            pending->addResult(failure);
            pending->finish();
        }
    };

private slots:
    void keepsAFailureForTryAgain()
    {
        Rig rig;
        const Wallpaper first = localItem("a1");
        rig.flow.submit(first);
        rig.end(QStringLiteral("You must be signed in to submit wallpapers"));
        QTRY_COMPARE(rig.flow.submissionError(), QString("You must be signed in to submit wallpapers"));
        QCOMPARE(rig.flow.failedSubmissionWallpaper().id, first.id);

        rig.flow.retry();
        QCOMPARE(rig.flow.submissionError(), QString());
        QVERIFY(!rig.flow.failedSubmissionWallpaper().isValid());
        QCOMPARE(rig.submitted.size(), 2);
        QCOMPARE(rig.submitted.at(1).id, first.id);
        rig.end(QStringLiteral("HTTP error 500"));
        QTRY_COMPARE(rig.flow.submissionError(), QString("HTTP error 500"));

        rig.flow.dismissError();
        QCOMPARE(rig.flow.submissionError(), QString());
        QVERIFY(!rig.flow.failedSubmissionWallpaper().isValid());
    }

    void dropsASubmissionWhileOneRunsAndReportsNothingOnSuccess()
    {
        Rig rig;
        rig.flow.submit(localItem("a1"));
        rig.flow.submit(localItem("a2"));
        QCOMPARE(rig.submitted.size(), 1);
        rig.end(std::nullopt);
        QCoreApplication::processEvents();
        QCOMPARE(rig.flow.submissionError(), QString());
    }

    // Through the real library: its own message comes back.
    void passesTheLibrarysMessageOn()
    {
        LibraryRig rig;
        rig.addLocalItem("b1");
        WallpaperManager& manager = rig.start();
        QTRY_VERIFY(manager.isStarted());
        SubmissionFlow flow(SubmissionFlow::submitThrough(&manager), [&manager] { return manager.isSubmitting(); });
        const std::optional<qsizetype> row = manager.allWallpaperList().rowOf(uuidFromHexID("b1"));
        QVERIFY(row);
        flow.submit(manager.allWallpaperList().at(*row));
        QTRY_VERIFY(flow.submissionError().startsWith("Missing files: "));
        QCOMPARE(flow.failedSubmissionWallpaper().hexID(), QString("b1"));
    }

    void refreshesEveryThirtySecondsAfterEachSync()
    {
        VirtualScheduler scheduler;
        int syncs = 0;
        std::shared_ptr<QPromise<void>> pending;
        StatusRefresh refresh(
            [&] {
                ++syncs;
                pending = std::make_shared<QPromise<void>>();
                pending->start();
                return pending->future();
            },
            scheduler);
        QCOMPARE(syncs, 0);
        refresh.setRunning(true);
        QCOMPARE(syncs, 1);
        scheduler.advance(60s); // still syncing: nothing more is asked
        QCOMPARE(syncs, 1);
        pending->finish();
        QTRY_COMPARE(scheduler.pendingCount(), 1);
        scheduler.advance(29s);
        QCOMPARE(syncs, 1);
        scheduler.advance(1s);
        QCOMPARE(syncs, 2);

        // Stopped while a sync runs: it schedules nothing when it ends.
        refresh.setRunning(false);
        pending->finish();
        QCoreApplication::processEvents();
        scheduler.advance(120s);
        QCOMPARE(syncs, 2);
        // Shown again: a sync at once.
        refresh.setRunning(true);
        QCOMPARE(syncs, 3);
    }
};

QTEST_GUILESS_MAIN(SubmissionFlowTest)
#include "tst_submissionflow.moc"
