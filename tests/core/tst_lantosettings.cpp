#include "LantoSettings.h"
#include "SerialQueue.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

std::optional<PlistValue::Dictionary> fileContents(const QString& path)
{
    const auto root = PropertyList::readFile(path);
    return root ? root->toDictionary() : std::nullopt;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Keeps rewriting a large settings dictionary until killed; used by the crash test.
int runWriteLoop(const QString& directory)
{
    SerialQueue writer(QStringLiteral("writer"));
    LantoSettings settings(directory, writer);
    for (int round = 0;; ++round) {
        settings.set(QStringLiteral("payload"), QByteArray(512 * 1024, char('a' + round % 26)));
        settings.set(QStringLiteral("round"), qint64(round));
        settings.flush();
    }
}

} // namespace

class LantoSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_home = std::make_unique<TemporaryHome>(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_scheduler = std::make_unique<VirtualScheduler>();
    }

    void freshStoreHoldsTheDefaultsAndWritesNothing()
    {
        LantoSettings settings(m_dir->path(), *m_scheduler);
        for (const auto& [key, value] : LantoSettings::defaults().asKeyValueRange()) {
            QCOMPARE(settings.value(key), std::optional<PlistValue>(false));
            QCOMPARE(settings.boolValue(key, true), false);
        }
        QCOMPARE(LantoSettings::defaults().size(), 6);
        QVERIFY(!settings.value(SettingsKey::favorites));
        QVERIFY(!QFile::exists(settings.filePath()));

        settings.set(SettingsKey::activeAerialID, QStringLiteral("A"));
        m_scheduler->advance(99ms);
        QVERIFY(!QFile::exists(settings.filePath()));
        m_scheduler->advance(1ms);
        auto written = fileContents(settings.filePath());
        QVERIFY(written);
        QCOMPARE(written->size(), 7);
        QCOMPARE(written->value(SettingsKey::activeAerialID), PlistValue(QStringLiteral("A")));
    }

    void existingFileIsTakenWithoutMerging()
    {
        PlistValue::Dictionary stored{{SettingsKey::lockScreenEnabled, true}, {QStringLiteral("x"), 3}};
        QVERIFY(PropertyList::writeFile(m_dir->filePath("Settings.plist"), stored));
        LantoSettings settings(m_dir->path(), *m_scheduler);
        QVERIFY(!settings.value(SettingsKey::pauseOnBattery));
        QCOMPARE(settings.boolValue(SettingsKey::pauseOnBattery, false), false);
        QCOMPARE(settings.boolValue(SettingsKey::lockScreenEnabled, false), true);

        settings.flush();
        QCOMPARE(fileContents(settings.filePath()), std::optional(stored));
    }

    void unusableFileGivesDefaults_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("garbage") << QByteArray("\x00\x01not a property list", 21);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("array root") << PropertyList::serialize(PlistValue::Array{1, 2}, PropertyList::Format::Xml);
        QTest::newRow("truncated xml")
            << PropertyList::serialize(PlistValue::Dictionary{{"a", 1}}, PropertyList::Format::Xml).left(60);
        QTest::newRow("truncated binary")
            << PropertyList::serialize(PlistValue::Dictionary{{"a", 1}}, PropertyList::Format::Binary).chopped(4);
    }

    void unusableFileGivesDefaults()
    {
        QFETCH(QByteArray, bytes);
        writeBytes(m_dir->filePath("Settings.plist"), bytes);
        LantoSettings settings(m_dir->path(), *m_scheduler);
        QCOMPARE(settings.value(SettingsKey::pauseOnBattery), std::optional<PlistValue>(false));

        settings.set(QStringLiteral("k"), 1);
        m_scheduler->advance(100ms);
        auto written = fileContents(settings.filePath());
        QVERIFY(written);
        QCOMPARE(written->size(), 7);
    }

    void namedPipeInPlaceOfTheFileIsNotWaitedOn()
    {
        const QString path = m_dir->filePath("Settings.plist");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        LantoSettings settings(m_dir->path(), *m_scheduler);
        QCOMPARE(settings.value(SettingsKey::pauseOnBattery), std::optional<PlistValue>(false));
        settings.set(SettingsKey::handle, QStringLiteral("h"));
        settings.reload();
        QCOMPARE(settings.string(SettingsKey::handle), std::optional<QString>(QStringLiteral("h")));
        // The write replaces the pipe with a file.
        settings.flush();
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(fileContents(path)->value(SettingsKey::handle), PlistValue(QStringLiteral("h")));
    }

    void binaryFileFromAnotherToolIsRead()
    {
        const QString xml = m_dir->filePath("source.xml");
        PlistValue::Dictionary stored{{SettingsKey::handle, QStringLiteral("ana")},
                                      {SettingsKey::screenModels, QByteArray("\x01\x02", 2)},
                                      {SettingsKey::downloads, PlistValue::Array{QStringLiteral("x")}}};
        QVERIFY(PropertyList::writeFile(xml, stored));
        const QString binary = m_dir->filePath("Settings.plist");
        QCOMPARE(QProcess::execute(QStringLiteral("plistutil"), {"-i", xml, "-o", binary, "-f", "bin"}), 0);
        {
            QFile file(binary);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.read(6) == "bplist");
        }
        LantoSettings settings(m_dir->path(), *m_scheduler);
        QCOMPARE(settings.string(SettingsKey::handle), std::optional<QString>(QStringLiteral("ana")));
        QCOMPARE(settings.data(SettingsKey::screenModels), std::optional<QByteArray>(QByteArray("\x01\x02", 2)));
        QVERIFY(!settings.value(SettingsKey::pauseOnBattery));

        // Written back as XML.
        settings.flush();
        QFile file(binary);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("<?xml"));
    }

    void burstOfChangesGivesOneWrite()
    {
        LantoSettings settings(m_dir->path(), *m_scheduler);
        for (int i = 0; i < 10; ++i) {
            settings.set(QStringLiteral("n"), i);
            m_scheduler->advance(20ms);
        }
        QVERIFY(!QFile::exists(settings.filePath()));
        m_scheduler->advance(79ms);
        QVERIFY(!QFile::exists(settings.filePath()));
        m_scheduler->advance(1ms);
        QCOMPARE(m_scheduler->performedCount(), 1);
        QCOMPARE(fileContents(settings.filePath())->value(QStringLiteral("n")), PlistValue(9));
        m_scheduler->advance(10s);
        QCOMPARE(m_scheduler->performedCount(), 1);
    }

    void removingAnAbsentKeyStillWrites()
    {
        LantoSettings settings(m_dir->path(), *m_scheduler);
        settings.set(QStringLiteral("never-there"), std::nullopt);
        m_scheduler->advance(100ms);
        QCOMPARE(m_scheduler->performedCount(), 1);
        QCOMPARE(fileContents(settings.filePath())->size(), 6);
    }

    void flushWritesAtOnce()
    {
        LantoSettings settings(m_dir->path(), *m_scheduler);
        settings.set(SettingsKey::handle, QStringLiteral("now"));
        settings.flush();
        QCOMPARE(fileContents(settings.filePath())->value(SettingsKey::handle), PlistValue(QStringLiteral("now")));
        // The flush took the pending write: what the other program writes next stays.
        PlistValue::Dictionary other = *fileContents(settings.filePath());
        other.insert(SettingsKey::handle, QStringLiteral("theirs"));
        QVERIFY(PropertyList::writeFile(settings.filePath(), other));
        m_scheduler->advance(1s);
        QCOMPARE(m_scheduler->performedCount(), 0);
        QCOMPARE(fileContents(settings.filePath())->value(SettingsKey::handle), PlistValue(QStringLiteral("theirs")));
    }

    void pendingChangeIsWrittenWhenTheStoreGoes()
    {
        QString path;
        {
            LantoSettings settings(m_dir->path(), *m_scheduler);
            path = settings.filePath();
            settings.set(SettingsKey::handle, QStringLiteral("last words"));
        }
        QCOMPARE(fileContents(path)->value(SettingsKey::handle), PlistValue(QStringLiteral("last words")));
        m_scheduler->advance(1s);
        QCOMPARE(m_scheduler->performedCount(), 0);
    }

    void flushFromInsideTheQueueDoesNotDeadlock()
    {
        SerialQueue writer(QStringLiteral("writer"));
        LantoSettings settings(m_dir->path(), writer);
        for (int i = 0; i < 50; ++i) {
            settings.set(QStringLiteral("n"), i);
            settings.queue().sync([&] { settings.flush(); });
        }
        settings.flush();
        QCOMPARE(fileContents(settings.filePath())->value(QStringLiteral("n")), PlistValue(49));
    }

    void concurrentWritersEndWithTheLastState()
    {
        SerialQueue writer(QStringLiteral("writer"));
        LantoSettings settings(m_dir->path(), writer);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&settings, t] {
                for (int i = 0; i < 200; ++i) {
                    settings.set(QStringLiteral("t%1").arg(t), i);
                    if (i % 50 == 0)
                        settings.flush();
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
        settings.flush();
        const auto written = fileContents(settings.filePath());
        QVERIFY(written);
        for (int t = 0; t < 4; ++t)
            QCOMPARE(written->value(QStringLiteral("t%1").arg(t)), PlistValue(199));
    }

    void killedWriterNeverLeavesATornFile()
    {
        const QString path = m_dir->filePath("Settings.plist");
        for (int attempt = 0; attempt < 4; ++attempt) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--write-loop", m_dir->path()});
            QVERIFY(child.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 20000);
            QTest::qWait(30 + attempt * 37);
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished());
            const auto written = fileContents(path);
            QVERIFY2(written, "the settings file must always parse whole");
            QCOMPARE(written->value(QStringLiteral("payload")).toData()->size(), 512 * 1024);
        }
        // What a write killed long ago left beside the file goes with the next start.
        QFile leftover(path + ".uKILNi");
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        QVERIFY(leftover.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
        leftover.close();
        const LantoSettings restarted(m_dir->path(), *m_scheduler);
        QVERIFY(!leftover.exists());
    }

    void reloadReplacesOrKeeps()
    {
        LantoSettings settings(m_dir->path(), *m_scheduler);
        settings.set(SettingsKey::activeAerialID, QStringLiteral("X"));
        settings.flush();

        // Another program removed a key and added one.
        PlistValue::Dictionary other{{SettingsKey::handle, QStringLiteral("h")}};
        QVERIFY(PropertyList::writeFile(settings.filePath(), other));
        settings.reload();
        QVERIFY(!settings.value(SettingsKey::activeAerialID));
        QVERIFY(!settings.value(SettingsKey::pauseOnBattery));
        QCOMPARE(settings.string(SettingsKey::handle), std::optional<QString>(QStringLiteral("h")));

        // A file that is not a dictionary, then no file at all: memory stays as it was.
        writeBytes(settings.filePath(), PropertyList::serialize(PlistValue::Array{}, PropertyList::Format::Xml));
        settings.reload();
        QCOMPARE(settings.string(SettingsKey::handle), std::optional<QString>(QStringLiteral("h")));
        QFile::remove(settings.filePath());
        settings.reload();
        QCOMPARE(settings.string(SettingsKey::handle), std::optional<QString>(QStringLiteral("h")));

        settings.set(QStringLiteral("again"), true);
        m_scheduler->advance(100ms);
        QCOMPARE(fileContents(settings.filePath())->value(SettingsKey::handle), PlistValue(QStringLiteral("h")));
    }

    // An observer hears of each real change of its key, made on any thread
    // or read from the file, on its own thread, and nothing after it is gone.
    void observersHearOfChangesOnTheirThread()
    {
        LantoSettings settings(m_dir->path(), *m_scheduler);
        const QString key = SettingsKey::pauseOnFullscreen;
        auto observer = std::make_unique<QObject>();
        QList<bool> heard;
        settings.observe(key, observer.get(), [&] {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            heard.append(settings.boolValue(key, false));
        });

        std::thread([&] { settings.set(key, true); }).join();
        QVERIFY(heard.isEmpty()); // in a later turn, not inside set()
        QTRY_COMPARE(heard, QList<bool> { true });
        settings.set(key, true); // the same value again
        settings.set(SettingsKey::pauseOnBattery, true); // another key
        QVERIFY(PropertyList::writeFile(settings.filePath(), PlistValue::Dictionary { { key, false } }));
        settings.reload();
        QTRY_COMPARE(heard, (QList<bool> { true, false }));
        settings.reload(); // the file as it is
        settings.set(key, std::nullopt);
        QTRY_COMPARE(heard.size(), 3);

        observer.reset();
        settings.set(key, true);
        QCoreApplication::processEvents();
        QCOMPARE(heard.size(), 3);
    }

    void ownedKeysLeaveTheOtherProgramsKeys()
    {
        // The agent's store owns "screenModels"; the application writes everything else.
        LantoSettings agent(m_dir->path(), *m_scheduler);
        agent.setOwnedKeys({SettingsKey::screenModels});
        agent.set(SettingsKey::screenModels, QByteArray("old"));
        agent.set(SettingsKey::activeAerialID, QStringLiteral("stale"));
        agent.flush();

        // The application writes after the agent's last reload.
        PlistValue::Dictionary application = *fileContents(agent.filePath());
        application.insert(SettingsKey::activeAerialID, QStringLiteral("A"));
        application.insert(SettingsKey::handle, QStringLiteral("h"));
        QVERIFY(PropertyList::writeFile(agent.filePath(), application));

        agent.set(SettingsKey::screenModels, QByteArray("new"));
        m_scheduler->advance(100ms);
        PlistValue::Dictionary expected = application;
        expected.insert(SettingsKey::screenModels, QByteArray("new"));
        QCOMPARE(*fileContents(agent.filePath()), expected);

        // An owned key gone from memory goes from the file; a missing file is written whole.
        agent.set(SettingsKey::screenModels, std::nullopt);
        agent.flush();
        QVERIFY(!fileContents(agent.filePath())->contains(SettingsKey::screenModels));
        QVERIFY(QFile::remove(agent.filePath()));
        agent.flush();
        QCOMPARE(fileContents(agent.filePath())->value(SettingsKey::activeAerialID), PlistValue(QStringLiteral("stale")));
    }

    void changeMadeDuringReloadsIsKept()
    {
        // The agent's pattern: change and flush as one step on the queue while
        // another thread keeps reloading. A reload must never swap in a file
        // it read before the change.
        SerialQueue writer(QStringLiteral("writer"));
        LantoSettings settings(m_dir->path(), writer);
        settings.flush();
        std::atomic<bool> stop = false;
        std::thread reloader([&] {
            while (!stop)
                settings.reload();
        });
        int lostAt = -1;
        for (int i = 0; i < 300 && lostAt < 0; ++i) {
            settings.queue().sync([&] {
                settings.set(QStringLiteral("n"), i);
                settings.flush();
            });
            if (settings.value(QStringLiteral("n")) != PlistValue(i))
                lostAt = i;
        }
        stop = true;
        reloader.join();
        QCOMPARE(lostAt, -1);
        QCOMPARE(fileContents(settings.filePath())->value(QStringLiteral("n")), PlistValue(299));
    }

    void typedGettersAnswerEmptyForOtherTypes()
    {
        LantoSettings settings(m_dir->path(), *m_scheduler);
        settings.set(QStringLiteral("s"), QStringLiteral("text"));
        QCOMPARE(settings.boolValue(QStringLiteral("s"), true), true);
        QVERIFY(!settings.data(QStringLiteral("s")));
        QVERIFY(!settings.dictionary(QStringLiteral("s")));
        QCOMPARE(settings.string(QStringLiteral("s")), std::optional<QString>(QStringLiteral("text")));
        // Readers may also run on the queue to read several keys together.
        const auto inside = settings.queue().sync([&] { return settings.string(QStringLiteral("s")).has_value(); });
        QCOMPARE(inside, std::optional<bool>(true));
    }

    void uuidSetKeepsOnlyUuidTexts_data()
    {
        QTest::addColumn<PlistValue>("stored");
        QTest::addColumn<int>("count");
        const QString valid = QStringLiteral("00112233-4455-6677-8899-AABBCCDDEEFF");
        QTest::newRow("one valid, one not") << PlistValue(PlistValue::Array{valid, QStringLiteral("nope")}) << 1;
        QTest::newRow("lower case") << PlistValue(PlistValue::Array{valid.toLower()}) << 1;
        QTest::newRow("braces are not UUID text") << PlistValue(PlistValue::Array{"{" + valid + "}"}) << 0;
        QTest::newRow("duplicates") << PlistValue(PlistValue::Array{valid, valid.toLower()}) << 1;
        QTest::newRow("string instead of array") << PlistValue(valid) << 0;
        QTest::newRow("array with a number") << PlistValue(PlistValue::Array{valid, 4}) << 0;
        QTest::newRow("nil UUID text") << PlistValue(PlistValue::Array{QUuid().toString(QUuid::WithoutBraces)}) << 1;
    }

    void uuidSetKeepsOnlyUuidTexts()
    {
        QFETCH(PlistValue, stored);
        QFETCH(int, count);
        LantoSettings settings(m_dir->path(), *m_scheduler);
        settings.set(SettingsKey::favorites, stored);
        QCOMPARE(settings.uuidSet(SettingsKey::favorites).size(), count);
        QVERIFY(settings.uuidSet(QStringLiteral("absent")).isEmpty());
    }

    void sharedStoreLivesInTheUsersHome()
    {
        QCOMPARE(LantoSettings::appSupportDirectory(), m_home->appSupportPath());
        QVERIFY(QFileInfo(m_home->appSupportPath()).isDir());
        QCOMPARE(LantoSettings::downloadsDirectory(), LantoSettings::appSupportDirectory() + QStringLiteral("/Downloads"));
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<VirtualScheduler> m_scheduler;
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--write-loop") == 0)
        return runWriteLoop(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    LantoSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lantosettings.moc"
