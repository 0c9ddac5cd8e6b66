#include "ImportQueue.h"
#include "VirtualScheduler.h"

#include <QPromise>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <stdexcept>

using namespace std::chrono_literals;

// The batch as the drop zone sees it, over an importer the test finishes file by file.
class ImportQueueTest : public QObject
{
    Q_OBJECT

    struct Rig
    {
        VirtualScheduler scheduler;
        std::map<QString, std::shared_ptr<QPromise<void>>> pending;
        QStringList started;
        ImportQueue queue { [this](const QString& path) {
                               started.append(path);
                               auto promise = std::make_shared<QPromise<void>>();
                               promise->start();
                               pending[path] = promise;
                               return promise->future();
                           },
            scheduler };

        void succeed(const QString& path) { pending.at(path)->finish(); }
        void fail(const QString& path, const char* message)
        {
            pending.at(path)->setException(std::make_exception_ptr(std::runtime_error(message)));
            pending.at(path)->finish();
        }
        // Ends each file as outcomes says ('s' or 'f'), waiting for the queue to go on.
        void run(const QStringList& paths, const QString& outcomes)
        {
            QList<QUrl> urls;
            for (const QString& path : paths)
                urls.append(QUrl::fromLocalFile(path));
            const qsizetype before = started.size();
            queue.start(urls);
            for (qsizetype i = 0; i < paths.size(); ++i) {
                QTRY_COMPARE(started.size(), before + i + 1);
                if (outcomes.at(i) == u's')
                    succeed(paths.at(i));
                else
                    fail(paths.at(i), "Could not open the video");
            }
            QTRY_VERIFY(!queue.isImporting());
        }
    };

private slots:
    void reportsTheBatch_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("outcomes");
        QTest::addColumn<QString>("success");
        QTest::addColumn<QString>("error");
        QTest::newRow("one") << QStringList { "/in/a.mov" } << "s" << "Wallpaper imported successfully!" << "";
        QTest::newRow("five") << QStringList { "/a.mov", "/b.mov", "/c.png", "/d.jpg", "/e.mp4" } << "sssss"
                              << "5 wallpapers imported successfully!" << "";
        QTest::newRow("second of three fails")
            << QStringList { "/a.mov", "/in/b.mov", "/c.png" } << "sfs" << ""
            << "2 imported, 1 failed:\nb.mov: Could not open the video";
        QTest::newRow("all fail") << QStringList { "/a.mov", "/b.png" } << "ff" << ""
                                  << "a.mov: Could not open the video\nb.png: Could not open the video";
    }

    void reportsTheBatch()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, outcomes);
        Rig rig;
        rig.run(paths, outcomes);
        QCOMPARE(rig.started, paths);
        QTEST(rig.queue.importSuccess(), "success");
        QTEST(rig.queue.importError(), "error");
        QCOMPARE(rig.queue.currentIndex(), 0);
        QCOMPARE(rig.queue.totalFiles(), 0);
        QCOMPARE(rig.queue.currentFile(), QString());
    }

    void showsWhichFileIsUnderWay()
    {
        Rig rig;
        rig.queue.start({ QUrl::fromLocalFile("/a.mov"), QUrl::fromLocalFile("/x/5C1A-Sea.view.mov"),
            QUrl::fromLocalFile("/c.mov"), QUrl::fromLocalFile("/d.mov") });
        QVERIFY(rig.queue.isImporting());
        rig.succeed("/a.mov");
        QTRY_COMPARE(rig.started.size(), 2);
        QCOMPARE(rig.queue.currentIndex(), 2);
        QCOMPARE(rig.queue.totalFiles(), 4);
        QCOMPARE(rig.queue.currentFile(), QString("5C1A-Sea.view"));
    }

    void dropsASecondBatchWhileOneRuns()
    {
        Rig rig;
        rig.queue.start({ QUrl::fromLocalFile("/a.mov") });
        rig.queue.start({ QUrl::fromLocalFile("/b.mov"), QUrl::fromLocalFile("/c.mov") });
        QCOMPARE(rig.started, QStringList { "/a.mov" });
        QCOMPARE(rig.queue.totalFiles(), 1);
    }

    void clearsTheSuccessAfterThreeSeconds()
    {
        Rig rig;
        rig.run({ "/a.mov" }, "s");
        rig.scheduler.advance(2900ms);
        QCOMPARE(rig.queue.importSuccess(), QString("Wallpaper imported successfully!"));
        rig.scheduler.advance(100ms);
        QCOMPARE(rig.queue.importSuccess(), QString());
    }

    // A batch started within the three seconds keeps its own message its full time.
    void anEarlierClearLeavesALaterMessage()
    {
        Rig rig;
        rig.run({ "/a.mov" }, "s");
        rig.scheduler.advance(2000ms);
        rig.run({ "/b.mov", "/c.mov" }, "ss");
        rig.scheduler.advance(1500ms);
        QCOMPARE(rig.queue.importSuccess(), QString("2 wallpapers imported successfully!"));
        rig.scheduler.advance(1500ms);
        QCOMPARE(rig.queue.importSuccess(), QString());
    }

    void aNewBatchClearsTheErrorAndDismissClearsOnlyIt()
    {
        Rig rig;
        rig.run({ "/a.mov" }, "f");
        QVERIFY(!rig.queue.importError().isEmpty());
        rig.queue.dismissError();
        QCOMPARE(rig.queue.importError(), QString());
        rig.run({ "/b.mov" }, "f");
        rig.queue.start({ QUrl::fromLocalFile("/c.mov") });
        QCOMPARE(rig.queue.importError(), QString());
    }

    // Copies made for a drop live in the temporary folder (often in memory):
    // none may outlive its import, whatever becomes of the batch.
    void removesDropCopiesOnceImported()
    {
        QTemporaryDir folder;
        const auto make = [&](const QString& name) {
            QFile file(folder.filePath(name));
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot write %s", qPrintable(name));
            return QUrl::fromLocalFile(file.fileName());
        };
        const QUrl kept = make("own.mov");
        const QUrl first = make("1-a.mov"), second = make("2-b.mov"), refused = make("3-c.mov"), last = make("4-d.mov");
        const auto exists = [](const QUrl& url) { return QFile::exists(url.toLocalFile()); };
        {
            Rig rig;
            rig.queue.start({ kept });
            rig.queue.startCopies({ refused }); // while a batch runs
            QVERIFY(!exists(refused));
            rig.succeed(kept.toLocalFile());
            QTRY_VERIFY(!rig.queue.isImporting());
            QVERIFY(exists(kept)); // the user's own file stays

            rig.queue.startCopies({ first, second, last });
            QVERIFY(exists(first));
            rig.fail(first.toLocalFile(), "Could not open the video");
            QTRY_COMPARE(rig.started.size(), 3);
            QVERIFY(!exists(first));
            QVERIFY(exists(second) && exists(last));
        } // the queue goes with the second file under way
        QVERIFY(!exists(last));
        QVERIFY(exists(kept));
    }
};

QTEST_GUILESS_MAIN(ImportQueueTest)
#include "tst_importqueue.moc"
