#include "CorpusFile.h"
#include "DistributedNotifications.h"
#include "PrivateBus.h"
#include "PropertyList.h"
#include "SettingsKeys.h"
#include "SystemWallpaper.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

// The real LantoAgent with hostile files in place of those it reads at start,
// on a home and a port of the test's own: each file is refused or handled at
// once and in bounded memory, and the agent comes up as it would without it.
namespace {

const QString aerial = QStringLiteral("E2E00000-0000-4000-8000-000000000001");
const QString startedLine = QStringLiteral("Registered wake/unlock/screen-change observers");
// An ordinary start takes well under a second, even on a loaded machine.
constexpr int startDeadlineMs = 15000;
// What a hostile file may cost the agent beyond an ordinary start.
constexpr qint64 allowedExtraKB = 64 * 1024;

QByteArray corpusFile(const QString& name)
{
    return corpusFileBytes(QFINDTESTDATA("../../fuzz/corpus/plist/" + name));
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Settings that put an aerial on record, so that the agent checks the store at start.
QByteArray settingsWithAnAerial()
{
    const QJsonObject cached { { QStringLiteral("id"), aerial }, { QStringLiteral("shotID"), QStringLiteral("LANTO_1") } };
    return PropertyList::serialize(
        PlistValue::Dictionary { { SettingsKey::lockScreenEnabled, true }, { SettingsKey::activeAerialID, aerial },
            { SettingsKey::activeDisplayUUID, QStringLiteral("E2E00000-0000-4000-8000-0000000000D1") },
            { SettingsKey::cachedAssetEntry, QJsonDocument(cached).toJson() } },
        PropertyList::Format::Xml);
}

// The resident peak of a running process, in kilobytes; -1 when unknown.
qint64 peakKB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct AgentRun
{
    bool started = false;
    qint64 peakKB = -1;
    QByteArray output;
};

// Starts the agent on the home, waits until it has come up, runs the step
// (given the agent's bus and a way to wait for a log line), and ends it.
using Step = std::function<void(PrivateBus&, const std::function<bool(const QString&)>&)>;

AgentRun runAgent(const QString& home, const Step& step = {})
{
    AgentRun run;
    PrivateBus bus;
    if (!bus.isReady())
        return run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANTO_TEST_HOME"), home);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(SANDBOX_LIBRARY));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    QProcess agent;
    agent.setProcessEnvironment(environment);
    agent.setProcessChannelMode(QProcess::MergedChannels);
    agent.start(QStringLiteral(AGENT_PROGRAM), {});
    if (!agent.waitForStarted())
        return run;
    run.started = QTest::qWaitFor(
        [&] {
            run.output += agent.readAll();
            return run.output.contains(startedLine.toUtf8()) || agent.state() == QProcess::NotRunning;
        },
        startDeadlineMs)
        && agent.state() == QProcess::Running;
    if (run.started && step) {
        step(bus, [&](const QString& line) {
            return QTest::qWaitFor(
                [&] {
                    run.output += agent.readAll();
                    return run.output.contains(line.toUtf8());
                },
                startDeadlineMs);
        });
    }
    run.peakKB = peakKB(agent.processId());
    agent.kill();
    agent.waitForFinished(10000);
    return run;
}

} // namespace

class tst_AgentHostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QTemporaryDir home;
        QVERIFY(writeFile(home.filePath("Library/Application Support/Lanto/Settings.plist"),
            corpusFile("settings_typical.plist")));
        const AgentRun ordinary = runAgent(home.path());
        QVERIFY2(ordinary.started, ordinary.output.constData());
        m_ordinaryPeakKB = ordinary.peakKB;
    }

    void startsPastHostileFiles_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("manifest");
        QTest::newRow("named pipe for Settings.plist") << "fifo" << "" << "";
        QTest::newRow("settings whose XML would nest too deep") << "t3f1_settings_writeback_depth.plist" << "" << "";
        QTest::newRow("settings whose XML would hold too many nodes") << "t3f1_settings_uid_nodes.plist" << "" << "";
        QTest::newRow("screen URLs chained through their bases") << "t3f2_settings_url_base_chain.plist.gz" << ""
                                                                 << "";
        QTest::newRow("store choices sharing a costly configuration")
            << "aerial" << "t3f3_index_nested_configuration_1m.bin.gz" << "";
        QTest::newRow("named pipe for Index.plist") << "aerial" << "fifo" << "";
        QTest::newRow("named pipe for entries.json") << "aerial" << "" << "fifo";
    }

    void startsPastHostileFiles()
    {
        QFETCH(QString, settings);
        QFETCH(QString, store);
        QFETCH(QString, manifest);
        QTemporaryDir home;
        const QString settingsPath = home.filePath("Library/Application Support/Lanto/Settings.plist");
        const SystemWallpaper::Paths paths = SystemWallpaper::Paths::forHome(home.path());
        QVERIFY(place(settingsPath, settings));
        // With the system's copy of the video there, the agent reads the manifest at start.
        if (settings == "aerial")
            QVERIFY(writeFile(paths.videoFile(aerial), "video"));
        for (const auto& [path, what] : { std::pair(paths.indexPlist, store), std::pair(paths.manifest, manifest) }) {
            if (!what.isEmpty())
                QVERIFY(place(path, what));
        }

        const AgentRun run = runAgent(home.path());
        QVERIFY2(run.started, run.output.constData());
        QVERIFY2(run.peakKB <= m_ordinaryPeakKB + allowedExtraKB,
            qPrintable(QStringLiteral("peak %1 KB, ordinary %2 KB").arg(run.peakKB).arg(m_ordinaryPeakKB)));
    }

    // At hand-over the agent writes the settings at once: keys it read and
    // cannot write back as XML of a sane size are written in binary form, so
    // the file stays readable and in proportion, and nothing in it is lost.
    void handOverWritesTheSettingsBackReadable()
    {
        QTemporaryDir home;
        const QString path = home.filePath("Library/Application Support/Lanto/Settings.plist");
        PlistValue::Dictionary settings = PropertyList::parse(corpusFile("settings_typical.plist"))->toDictionary().value();
        const auto hostile = PropertyList::parse(corpusFile("t3f1_settings_writeback_depth.plist"))->toDictionary().value();
        settings.insert(hostile);
        const QByteArray input = PropertyList::serialize(settings, PropertyList::Format::Binary);
        QVERIFY(writeFile(path, input));

        const AgentRun run = runAgent(home.path(), [](PrivateBus& bus, const auto& waitFor) {
            QVERIFY(waitFor(QStringLiteral("activate() DONE")));
            DBusDistributedNotifications(bus.connect(QStringLiteral("e2e"))).post(DistributedNotificationNames::appLaunched);
            QVERIFY(waitFor(QStringLiteral("deactivate() DONE")));
        });
        QVERIFY2(run.started, run.output.constData());
        QVERIFY2(run.output.contains("deactivate() DONE"), run.output.constData());
        QVERIFY(QFileInfo(path).size() <= PropertyList::xmlSizeFloor + PropertyList::xmlSizeFactor * input.size());
        const auto written = PropertyList::readFile(path);
        QVERIFY(written && written->isDictionary());
        QCOMPARE(written->toDictionary()->keys(), settings.keys());
    }

private:
    // A named pipe, the settings with an aerial, or a corpus file at path.
    static bool place(const QString& path, const QString& what)
    {
        if (what == "fifo")
            return QDir().mkpath(QFileInfo(path).absolutePath())
                && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
        return writeFile(path, what == "aerial" ? settingsWithAnAerial() : corpusFile(what));
    }

    qint64 m_ordinaryPeakKB = 0;
};

QTEST_GUILESS_MAIN(tst_AgentHostileFiles)
#include "tst_agenthostilefiles.moc"
