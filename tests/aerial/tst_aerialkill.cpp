#include "AerialHarness.h"
#include "SystemCommands.h"

#include <QLockFile>
#include <QProcess>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// A copy of sleep running under one of the system's wallpaper process names,
// from a folder of the test's own.
class StandInProcess
{
public:
    StandInProcess(const QTemporaryDir& dir, const QString& name)
    {
        const QString copy = dir.filePath(name);
        if (!QFile::exists(copy) && !QFile::copy(QStringLiteral("/bin/sleep"), copy))
            return;
        m_process.start(copy, { QStringLiteral("30") });
        const QByteArray comm = name.left(15).toLatin1();
        m_running = m_process.waitForStarted() && QTest::qWaitFor([&] {
            QFile file(QStringLiteral("/proc/%1/comm").arg(m_process.processId()));
            return file.open(QIODevice::ReadOnly) && file.readAll().trimmed() == comm;
        });
    }
    ~StandInProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    bool isRunning() const { return m_running; }
    bool endsBySigkill() { return m_process.waitForFinished(5000) && m_process.exitStatus() == QProcess::CrashExit; }

private:
    QProcess m_process;
    bool m_running = false;
};

} // namespace

class AerialKillTest : public QObject
{
    Q_OBJECT

private slots:
    void killEndsTheNamedProcessesOncePerCooldown()
    {
        // killall reaches every process of the name: test runs on this machine take turns.
        QLockFile turn(QDir::temp().filePath(QStringLiteral("lanto-wallpaper-process-names.lock")));
        QVERIFY(turn.tryLock(60000));
        AerialHarness harness;
        ProcessSystemCommands commands;
        AerialManager manager(AerialManager::Environment { harness.settings, harness.displays, harness.workspace,
            harness.notifications, commands, harness.server, harness.background, harness.paths });
        QTemporaryDir dir;

        for (const QString name : { "WallpaperAgent", "WallpaperAerialsExtension" }) {
            StandInProcess first(dir, name);
            QVERIFY(first.isRunning());
            manager.kill(name);
            QVERIFY(first.endsBySigkill());
            QVERIFY(harness.log.contains("Lanto AerialManager: SIGKILL'd " + name));

            StandInProcess second(dir, name);
            QVERIFY(second.isRunning());
            harness.background.advance(1s);
            manager.kill(name);
            QVERIFY(harness.log.contains("Lanto AerialManager: SIGKILL cooldown — skipping kill of " + name));
            harness.background.advance(1s);
            manager.kill(name);
            QVERIFY(second.endsBySigkill());
        }
    }
};

QTEST_GUILESS_MAIN(AerialKillTest)
#include "tst_aerialkill.moc"
