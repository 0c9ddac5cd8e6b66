#include "DistributedNotifications.h"
#include "PrivateBus.h"
#include "PropertyList.h"
#include "SettingsKeys.h"
#include "SystemWallpaper.h"
#include "TemporaryHome.h"
#include "WallpaperStore.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString aerial = QStringLiteral("E2E00000-0000-4000-8000-000000000001");
const QString display = QStringLiteral("E2E00000-0000-4000-8000-0000000000D1");
const QString hex = QStringLiteral("e2e0001");

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool canIsolate()
{
    return geteuid() == 0
        && QProcess::execute(QStringLiteral("unshare"),
               { QStringLiteral("--mount"), QStringLiteral("--net"), QStringLiteral("--pid"), QStringLiteral("--fork"),
                   QStringLiteral("true") })
        == 0;
}

} // namespace

// The real LantoAgent on a throwaway home: in mount, network and process
// namespaces of its own, the real home folder of the user database is the
// test's folder, port 24681 is private, and killall reaches only the
// namespace's processes. The test plays Lanto's part through the notices.
class tst_AgentProgram : public QObject
{
    Q_OBJECT

private slots:
    void keepsTheAerialAndHandsOver();
};

void tst_AgentProgram::keepsTheAerialAndHandsOver()
{
    if (!canIsolate())
        QSKIP("needs root and unshare to give the agent a home and a port of its own");

    TemporaryHome home;
    const SystemWallpaper::Paths paths = SystemWallpaper::Paths::forHome(home.path());
    const QJsonObject cached { { QStringLiteral("id"), aerial },
        { QStringLiteral("shotID"), QStringLiteral("LANTO_3") } };
    QDir().mkpath(home.appSupportPath());
    QVERIFY(PropertyList::writeFile(home.appSupportPath() + QStringLiteral("/Settings.plist"),
        PlistValue::Dictionary { { SettingsKey::lockScreenEnabled, true }, { SettingsKey::activeAerialID, aerial },
            { SettingsKey::activeDisplayUUID, display },
            { SettingsKey::aerialAssetToHex, PlistValue::Dictionary { { aerial, hex } } },
            { SettingsKey::cachedAssetEntry, QJsonDocument(cached).toJson() } }));
    write(home.appSupportPath() + QStringLiteral("/Downloads/") + hex + QStringLiteral("/content.mov"),
        "e2e video bytes");
    write(paths.videoFile(aerial), "system copy");
    write(paths.manifest,
        QJsonDocument(QJsonObject { { QStringLiteral("version"), 1 }, { QStringLiteral("assets"), QJsonArray() } })
            .toJson());
    QString error;
    QVERIFY(WallpaperStoreFile::write(paths.indexPlist, {}, &error));

    QTemporaryDir runtime;
    PrivateBus bus;
    QVERIFY(bus.isReady());
    QProcess agent;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    agent.setProcessEnvironment(environment);
    agent.setProcessChannelMode(QProcess::MergedChannels);
    const QString realHome = QString::fromLocal8Bit(getpwuid(getuid())->pw_dir);
    // The checkout may lie below the real home, which the bind hides: run a copy from outside it.
    const QString program = runtime.filePath(QStringLiteral("LantoAgent"));
    QVERIFY(QFile::copy(QStringLiteral(LANTO_AGENT_BINARY), program));
    agent.start(QStringLiteral("unshare"),
        { QStringLiteral("--mount"), QStringLiteral("--net"), QStringLiteral("--pid"), QStringLiteral("--fork"),
            QStringLiteral("--mount-proc"), QStringLiteral("--kill-child"), QStringLiteral("sh"), QStringLiteral("-c"),
            QStringLiteral("ip link set lo up && mount --bind \"$0\" \"$1\" && exec \"$2\""), home.path(), realHome,
            program });
    QVERIFY(agent.waitForStarted());
    QByteArray output;
    const auto logged = [&](const QString& line) {
        output += agent.readAll();
        return QString::fromUtf8(output).split(QLatin1Char('\n')).contains(line);
    };

    // Lanto is not running: the agent puts the cached entry back and stamps.
    QTRY_VERIFY_WITH_TIMEOUT(logged(QStringLiteral("Started manifest directory monitor")), 20000);
    QVERIFY2(logged(QStringLiteral("Re-injected aerial %1 into entries.json").arg(aerial)), output);
    QVERIFY(logged(QStringLiteral("Lanto AerialHTTPServer: Listening on 127.0.0.1:24681")));
    const QJsonArray assets
        = QJsonDocument::fromJson(read(paths.manifest)).object().value(QStringLiteral("assets")).toArray();
    QCOMPARE(assets, QJsonArray { cached });
    QVERIFY(indexPlistHasAerial(paths.indexPlist, aerial, display, {}));

    // Its server serves the mapped video, inside its namespace.
    const QString children
        = QString::fromLatin1(read(QStringLiteral("/proc/%1/task/%1/children").arg(agent.processId())).trimmed());
    const QString agentPid = children.section(QLatin1Char(' '), 0, 0);
    QProcess curl;
    curl.start(QStringLiteral("nsenter"),
        { QStringLiteral("--net=/proc/%1/ns/net").arg(agentPid), QStringLiteral("curl"), QStringLiteral("-s"),
            QStringLiteral("-r"), QStringLiteral("0-2"),
            QStringLiteral("http://127.0.0.1:24681/videos/%1.mov").arg(aerial) });
    QVERIFY(curl.waitForFinished(10000));
    QCOMPARE(curl.readAllStandardOutput(), QByteArray("e2e"));

    // Lanto starts: the agent yields and leaves a clobbered store alone; Lanto quits: it repairs.
    DBusDistributedNotifications notices(bus.connect(QStringLiteral("e2e")));
    notices.post(DistributedNotificationNames::appLaunched);
    QTRY_VERIFY_WITH_TIMEOUT(
        logged(QStringLiteral("IPC appLaunched — yielding lock-screen duties to Lanto.app")), 10000);
    QVERIFY(WallpaperStoreFile::write(paths.indexPlist, {}, &error));
    notices.post(DistributedNotificationNames::appWillTerminate);
    QTRY_VERIFY_WITH_TIMEOUT(logged(QStringLiteral("IPC appWillTerminate — reclaiming lock-screen duties")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(indexPlistHasAerial(paths.indexPlist, aerial, display, {}), 10000);

    // Ending unshare ends the namespace's processes with it.
    agent.kill();
    QVERIFY(agent.waitForFinished(10000));
    QTRY_VERIFY(!QFile::exists(QStringLiteral("/proc/") + agentPid));
}

QTEST_GUILESS_MAIN(tst_AgentProgram)
#include "tst_agentprogram.moc"
