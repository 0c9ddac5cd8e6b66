#include "AgentFallbackEntries.h"
#include "AgentHarness.h"
#include "SystemVersion.h"

#include <QProcess>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString deferring = QStringLiteral("Main app running at boot — deferring initial stamp to Lanto.app");
const QString reclaiming = QStringLiteral("IPC appWillTerminate — reclaiming lock-screen duties");
const QString crashReclaim
    = QStringLiteral("NSWorkspace detected main-app termination (crash/force-quit?) — reclaiming");

QList<std::chrono::milliseconds> seconds(std::initializer_list<int> milliseconds)
{
    QList<std::chrono::milliseconds> list;
    for (int value : milliseconds)
        list.append(std::chrono::milliseconds(value));
    return list;
}

QStringList ids(const QJsonArray& entries)
{
    QStringList list;
    for (const QJsonValue& entry : entries)
        list.append(entry.toObject().value(QStringLiteral("id")).toString());
    return list;
}

} // namespace

class tst_AgentDelegate : public QObject
{
    Q_OBJECT

private slots:
    void init() { SystemVersion::setCurrent(QVersionNumber(15, 0, 0)); }
    void startWithLantoRunningDefers();
    void startStampsAndRepairsTheManifest();
    void startWaitsForTheStore_data();
    void startWaitsForTheStore();
    void stateThatIsNotSetStampsNothing_data();
    void stateThatIsNotSetStampsNothing();
    void storeClobberedAtEveryAttempt();
    void storeThatCannotBeStampedIsNeitherAwaitedNorRestarted();
    void handOverBothWays();
    void crashOfLantoIsNoticedAtOnce();
    void reinjection_data();
    void reinjection();
    void restartIsCheckedAndKillsCoolDown();
    void atomicReplaceOfTheManifestReopensTheMonitor();
    void systemEventsYieldWhileLantoRuns_data();
    void systemEventsYieldWhileLantoRuns();
    void lockAndUnlockOnBothSidesOfTheBoundary();
    void sleepStampsAndKillsTheAgent();
    void verificationTimerRepairsEvery300s();
};

void tst_AgentDelegate::startWithLantoRunningDefers()
{
    AgentHarness agent;
    agent.applications.add(4242, QLatin1String(BundleIdentifiers::lanto));
    const QByteArray manifest = AgentHarness::read(agent.paths.manifest);
    const QByteArray store = AgentHarness::read(agent.paths.indexPlist);
    agent.start();

    const QStringList lines = agent.log.lines();
    const qsizetype active = lines.indexOf(QStringLiteral("Active aerial: %1 — mainAppActive=true").arg(agent.aerial));
    QVERIFY(active > 0);
    QCOMPARE(lines.value(active + 1), deferring);
    QCOMPARE(AgentHarness::read(agent.paths.manifest), manifest);
    QCOMPARE(AgentHarness::read(agent.paths.indexPlist), store);
    QVERIFY(lines.contains(QStringLiteral("Started entries.json file monitor")));
    QVERIFY(lines.contains(QStringLiteral("Started manifest directory monitor")));
    QCOMPARE(agent.desktop.calls, QStringList(QStringLiteral("start")));
    QCOMPARE(agent.server.starts, 1);
    QCOMPARE(agent.scheduler.pendingCount(), 1); // the verification timer
    QVERIFY(agent.delegate->isMainAppActive());
}

void tst_AgentDelegate::startStampsAndRepairsTheManifest()
{
    AgentHarness agent;
    agent.start();
    QVERIFY(agent.log.contains(QStringLiteral("Re-injected aerial %1 into entries.json").arg(agent.aerial)));
    QCOMPARE(agent.stamps(), 1);
    QVERIFY(agent.log.contains(QStringLiteral("Aerial verified after attempt 1")));
    QCOMPARE(agent.sleeps, seconds({ 500 }));
    QCOMPARE(
        agent.killed(), QStringList({ QStringLiteral("WallpaperAgent"), QStringLiteral("WallpaperAerialsExtension") }));
    QVERIFY(agent.storeHasAerial());

    // The fallback entries, since Lanto cached none.
    const QJsonObject manifest = agent.manifest();
    QCOMPARE(manifest.value(QStringLiteral("version")).toInt(), 1);
    const QJsonArray assets = manifest.value(QStringLiteral("assets")).toArray();
    QCOMPARE(assets.size(), 1);
    QCOMPARE(assets[0].toObject(),
        AgentFallbackEntries::assetEntry(
            agent.aerial, agent.server.videoURL(agent.aerial), agent.server.thumbnailURL(agent.aerial)));
    QCOMPARE(manifest.value(QStringLiteral("categories")).toArray(),
        QJsonArray { AgentFallbackEntries::categoryEntry(agent.aerial) });

    // A second agent finds everything in place: no stamp, no kill.
    AgentHarness::write(agent.paths.manifest, AgentHarness::read(agent.paths.manifest));
    agent.log.clear();
    agent.commands = FakeSystemCommands();
    agent.sleeps.clear();
    agent.start();
    QVERIFY(agent.log.contains(QStringLiteral("Aerial verified on attempt 1")));
    QCOMPARE(agent.stamps(), 0);
    QVERIFY(agent.sleeps.isEmpty());
    QVERIFY(agent.killed().isEmpty());
}

void tst_AgentDelegate::startWaitsForTheStore_data()
{
    QTest::addColumn<int>("appearsAfterSleeps"); // 0: never
    QTest::addColumn<int>("waits");
    QTest::addColumn<bool>("givesUp");
    QTest::newRow("appears at 2.5 s") << 3 << 3 << false;
    QTest::newRow("never") << 0 << 10 << true;
}

void tst_AgentDelegate::startWaitsForTheStore()
{
    QFETCH(int, appearsAfterSleeps);
    AgentHarness agent;
    QFile::remove(agent.paths.indexPlist);
    agent.onSleep = [&] {
        if (agent.sleeps.size() == appearsAfterSleeps && agent.sleeps.last() == 1s)
            agent.writeStore({});
    };
    agent.start();
    QVERIFY(agent.log.contains(QStringLiteral("Waiting for Index.plist to appear...")));
    QFETCH(int, waits);
    QCOMPARE(agent.sleeps.mid(0, waits), QList<std::chrono::milliseconds>(waits, 1s));
    QTEST(agent.log.contains(QStringLiteral("Index.plist not found after 10s — proceeding")), "givesUp");
    QTEST(agent.log.contains(QStringLiteral("Index.plist missing or corrupt — creating fresh")), "givesUp");
    QVERIFY(agent.storeHasAerial());
}

void tst_AgentDelegate::stateThatIsNotSetStampsNothing_data()
{
    QTest::addColumn<PlistValue::Dictionary>("changes");
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<QString>("line");
    const QString noAerial = QStringLiteral("No active lock screen wallpaper — monitoring for changes");
    QTest::newRow("no display") << PlistValue::Dictionary() << QStringList(SettingsKey::activeDisplayUUID) << noAerial;
    QTest::newRow("enabled as text") << PlistValue::Dictionary {
        { SettingsKey::lockScreenEnabled, QStringLiteral("true") }
    } << QStringList() << noAerial;
    QTest::newRow("disabled") << PlistValue::Dictionary { { SettingsKey::lockScreenEnabled, false } } << QStringList()
                              << noAerial;
    QTest::newRow("no settings") << PlistValue::Dictionary() << QStringList()
                                 << QStringLiteral("Cannot read Settings.plist");
}

void tst_AgentDelegate::stateThatIsNotSetStampsNothing()
{
    QFETCH(PlistValue::Dictionary, changes);
    QFETCH(QStringList, removed);
    QFETCH(QString, line);
    AgentHarness agent;
    agent.writeSettings(changes, removed);
    if (QByteArray(QTest::currentDataTag()) == "no settings")
        QFile::remove(agent.settingsPath());
    agent.start();
    QVERIFY(agent.log.contains(line));
    QCOMPARE(agent.stamps(), 0);
    QVERIFY(agent.killed().isEmpty());
}

void tst_AgentDelegate::storeClobberedAtEveryAttempt()
{
    AgentHarness agent;
    agent.onSleep = [&] { agent.writeStore({}); };
    agent.start();
    QCOMPARE(agent.stamps(), 4);
    QCOMPARE(agent.sleeps, seconds({ 500, 1500, 3000 }));
    for (int attempt = 1; attempt <= 3; ++attempt)
        QVERIFY(agent.log.contains(QStringLiteral("Aerial not found after stamp attempt %1").arg(attempt)));
    QVERIFY(agent.log.contains(QStringLiteral("Retry 2/3...")));
    QVERIFY(agent.log.contains(QStringLiteral("Retry 3/3...")));
    QCOMPARE(agent.log.lines().last(), QStringLiteral("Started manifest directory monitor"));
    QVERIFY(agent.log.contains(QStringLiteral("All verification attempts failed — final stamp")));
}

void tst_AgentDelegate::storeThatCannotBeStampedIsNeitherAwaitedNorRestarted()
{
    AgentHarness agent;
    AgentHarness::write(agent.paths.indexPlist, "bplist00 damaged");
    agent.start();
    agent.workspace.raiseDidWake();
    agent.workspace.raiseWillSleep();
    agent.notifications.deliver(DistributedNotificationNames::screenIsLocked);
    agent.scheduler.advance(300s);

    QVERIFY(agent.log.contains(QStringLiteral("Re-injected aerial %1 into entries.json").arg(agent.aerial)));
    QVERIFY(agent.log.contains(QStringLiteral("Index.plist unreadable — left as it is")));
    QVERIFY(agent.sleeps.isEmpty());
    QVERIFY(!agent.log.contains(QStringLiteral("All verification attempts failed — final stamp")));
    QVERIFY(agent.killed().isEmpty());
    QCOMPARE(AgentHarness::read(agent.paths.indexPlist), QByteArray("bplist00 damaged"));
}

void tst_AgentDelegate::handOverBothWays()
{
    AgentHarness agent;
    agent.start();
    agent.log.clear();
    const QString yielding = QStringLiteral("IPC appLaunched — yielding lock-screen duties to Lanto.app");
    agent.notifications.deliver(DistributedNotificationNames::appLaunched);
    agent.notifications.deliver(DistributedNotificationNames::appLaunched);
    QCOMPARE(agent.count(yielding), 1);
    QVERIFY(agent.delegate->isMainAppActive());

    // Lanto quits normally, after re-placing the aerial; the termination notice that follows changes nothing.
    agent.writeStore({});
    agent.notifications.deliver(DistributedNotificationNames::appWillTerminate);
    agent.workspace.raiseApplicationDidTerminate(
        RunningApplication { 4242, QLatin1String(BundleIdentifiers::lanto), {} });
    QCOMPARE(agent.count(reclaiming), 1);
    QCOMPARE(agent.count(crashReclaim), 0);
    QCOMPARE(agent.stamps(), 1);
    QVERIFY(!agent.delegate->isMainAppActive());

    // Another program ending, or Lanto ending while the agent keeps: ignored.
    agent.notifications.deliver(DistributedNotificationNames::appLaunched);
    agent.workspace.raiseApplicationDidTerminate(RunningApplication { 7, QStringLiteral("org.other"), {} });
    QVERIFY(agent.delegate->isMainAppActive());
}

void tst_AgentDelegate::crashOfLantoIsNoticedAtOnce()
{
    QProcess standIn;
    standIn.start(QStringLiteral("/bin/sleep"), { QStringLiteral("30") });
    QVERIFY(standIn.waitForStarted());
    AgentHarness agent;
    agent.applications.add(standIn.processId(), QLatin1String(BundleIdentifiers::lanto));
    agent.start();
    QVERIFY(agent.delegate->isMainAppActive());
    agent.writeStore({});
    standIn.kill();
    QTRY_VERIFY_WITH_TIMEOUT(agent.log.contains(crashReclaim), 1000);
    QVERIFY(!agent.delegate->isMainAppActive());
    QVERIFY(agent.storeHasAerial());
    standIn.waitForFinished();
}

void tst_AgentDelegate::reinjection_data()
{
    QTest::addColumn<QJsonObject>("manifest");
    QTest::addColumn<QJsonObject>("cachedAsset"); // empty: none
    QTest::addColumn<QJsonObject>("cachedCategory");
    QTest::addColumn<QStringList>("assetIDs"); // after the take-over; empty: file untouched
    QTest::addColumn<QStringList>("categoryIDs");

    const QString aerial = AgentHarness::aerial;
    const QString fallbackCategory = QLatin1String(AgentFallbackEntries::categoryID);
    const QJsonObject other { { QStringLiteral("id"), QStringLiteral("OTHER") },
        { QStringLiteral("shotID"), QStringLiteral("LANTO_1") } };
    const QJsonObject lantoCategory { { QStringLiteral("id"), QStringLiteral("CAT") } };
    QTest::newRow("cached asset of another id: fallback")
        << QJsonObject { { QStringLiteral("assets"), QJsonArray { other } } }
        << QJsonObject { { QStringLiteral("id"), QStringLiteral("STALE") } } << QJsonObject()
        << QStringList({ QStringLiteral("OTHER"), aerial }) << QStringList(fallbackCategory);
    QTest::newRow("cached category present already")
        << QJsonObject { { QStringLiteral("categories"), QJsonArray { lantoCategory } } }
        << QJsonObject { { QStringLiteral("id"), aerial }, { QStringLiteral("shotID"), QStringLiteral("LANTO_7") } }
        << lantoCategory << QStringList(aerial) << QStringList(QStringLiteral("CAT"));
    QTest::newRow("assets not an array") << QJsonObject { { QStringLiteral("assets"), QStringLiteral("junk") } }
                                         << QJsonObject() << lantoCategory << QStringList(aerial)
                                         << QStringList(QStringLiteral("CAT"));
    QTest::newRow("aerial present: untouched")
        << QJsonObject { { QStringLiteral("assets"), QJsonArray { QJsonObject { { QStringLiteral("id"), aerial } } } } }
        << QJsonObject() << QJsonObject() << QStringList() << QStringList();
}

void tst_AgentDelegate::reinjection()
{
    QFETCH(QJsonObject, manifest);
    QFETCH(QJsonObject, cachedAsset);
    QFETCH(QJsonObject, cachedCategory);
    AgentHarness agent;
    PlistValue::Dictionary cached;
    if (!cachedAsset.isEmpty())
        cached.insert(SettingsKey::cachedAssetEntry, QJsonDocument(cachedAsset).toJson());
    if (!cachedCategory.isEmpty())
        cached.insert(SettingsKey::cachedCategoryEntry, QJsonDocument(cachedCategory).toJson());
    agent.writeSettings(cached);
    agent.applications.add(4242, QLatin1String(BundleIdentifiers::lanto));
    agent.start();
    agent.writeManifest(manifest);
    const QByteArray before = AgentHarness::read(agent.paths.manifest);
    agent.notifications.deliver(DistributedNotificationNames::appWillTerminate);

    QFETCH(QStringList, assetIDs);
    if (assetIDs.isEmpty()) {
        QCOMPARE(AgentHarness::read(agent.paths.manifest), before);
        return;
    }
    const QJsonObject after = agent.manifest();
    QCOMPARE(ids(after.value(QStringLiteral("assets")).toArray()), assetIDs);
    QTEST(ids(after.value(QStringLiteral("categories")).toArray()), "categoryIDs");
    const QJsonObject added = after.value(QStringLiteral("assets")).toArray().last().toObject();
    QCOMPARE(added.value(QStringLiteral("shotID")).toString(),
        cachedAsset.value(QStringLiteral("id")) == agent.aerial ? QStringLiteral("LANTO_7")
                                                                : QStringLiteral("LANTO_1"));

    // Without a manifest nothing is created, and the store is still stamped.
    QFile::remove(agent.paths.manifest);
    agent.writeStore({});
    agent.notifications.deliver(DistributedNotificationNames::appLaunched);
    agent.notifications.deliver(DistributedNotificationNames::appWillTerminate);
    QVERIFY(agent.log.contains(QStringLiteral("Cannot read entries.json")));
    QVERIFY(!QFile::exists(agent.paths.manifest));
    QVERIFY(agent.storeHasAerial());
}

void tst_AgentDelegate::restartIsCheckedAndKillsCoolDown()
{
    AgentHarness agent;
    agent.applications.add(4242, QLatin1String(BundleIdentifiers::lanto));
    agent.start();
    agent.notifications.deliver(DistributedNotificationNames::appWillTerminate);
    QCOMPARE(
        agent.killed(), QStringList({ QStringLiteral("WallpaperAgent"), QStringLiteral("WallpaperAerialsExtension") }));

    // Clobbered again within 2 s: stamped, but neither process is killed again.
    agent.writeStore({});
    agent.scheduler.advance(1s);
    agent.workspace.raiseDidWake();
    QCOMPARE(agent.stamps(), 2);
    QCOMPARE(agent.count(QStringLiteral("SIGKILL cooldown — skipping kill of WallpaperAgent")), 1);
    QCOMPARE(agent.killed().size(), 2);

    // Lost after the restart: one more stamp, no kill.
    agent.writeStore({});
    agent.scheduler.advance(1s);
    QVERIFY(agent.log.contains(QStringLiteral("Config lost — re-stamping (no re-kill)")));
    QCOMPARE(agent.stamps(), 3);
    QCOMPARE(agent.killed().size(), 2);

    // Neither copy of the video left: no stamp, so no kill loop.
    QFile::remove(agent.downloads(agent.hex + QStringLiteral("/content.mov")));
    QFile::remove(agent.paths.videoFile(agent.aerial));
    agent.writeStore({});
    agent.workspace.raiseDidWake();
    QVERIFY(agent.log.contains(QStringLiteral("Video file unavailable — skipping stamp to avoid kill loop")));
    QCOMPARE(agent.stamps(), 3);
}

void tst_AgentDelegate::atomicReplaceOfTheManifestReopensTheMonitor()
{
    AgentHarness agent;
    agent.start();
    const QString started = QStringLiteral("Started entries.json file monitor");
    QCOMPARE(agent.count(started), 1);
    const int pending = agent.scheduler.pendingCount();

    // The system replaces the manifest whole, without the aerial.
    const QString replacement = agent.paths.manifest + QStringLiteral(".new");
    AgentHarness::write(
        replacement, QJsonDocument(QJsonObject { { QStringLiteral("assets"), QJsonArray() } }).toJson());
    QVERIFY(
        ::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(agent.paths.manifest).constData()) == 0);
    QTRY_VERIFY(agent.scheduler.pendingCount() > pending);
    agent.scheduler.advance(999ms);
    QCOMPARE(agent.count(started), 1);
    agent.scheduler.advance(1ms);
    QCOMPARE(agent.count(started), 2);
    // The folder monitor's check put the aerial back already; the manifest's own check finds it.
    agent.scheduler.advance(500ms);
    const QString reinjected = QStringLiteral("Re-injected aerial %1 into entries.json").arg(agent.aerial);
    QCOMPARE(agent.count(reinjected), 2);

    // The agent's own write fires the monitors too; the check finds the aerial and stops there.
    QCoreApplication::processEvents();
    agent.scheduler.advance(2s);
    QCOMPARE(agent.count(reinjected), 2);
}

void tst_AgentDelegate::systemEventsYieldWhileLantoRuns_data()
{
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("line");
    QTest::newRow("sleep") << 0 << "willSleep: main app active — yielding";
    QTest::newRow("wake") << 1 << "Wake: main app active — yielding";
    QTest::newRow("lock") << 2 << "Lock: main app active — yielding";
    QTest::newRow("unlock") << 3 << "Unlock: main app active — yielding";
    QTest::newRow("display change") << 4 << "ScreenChange: main app active — yielding";
}

void tst_AgentDelegate::systemEventsYieldWhileLantoRuns()
{
    QFETCH(int, event);
    AgentHarness agent;
    agent.applications.add(4242, QLatin1String(BundleIdentifiers::lanto));
    agent.start();
    agent.desktop.calls.clear();
    const QByteArray store = AgentHarness::read(agent.paths.indexPlist);
    switch (event) {
    case 0:
        agent.workspace.raiseWillSleep();
        break;
    case 1:
        agent.workspace.raiseDidWake();
        break;
    case 2:
        agent.notifications.deliver(DistributedNotificationNames::screenIsLocked);
        break;
    case 3:
        agent.notifications.deliver(DistributedNotificationNames::screenIsUnlocked);
        break;
    default:
        agent.workspace.raiseScreenParametersChanged();
        agent.scheduler.advance(1s);
        break;
    }
    QFETCH(QString, line);
    QCOMPARE(agent.log.lines().last(), line);
    QCOMPARE(AgentHarness::read(agent.paths.indexPlist), store);
    QVERIFY(agent.desktop.calls.isEmpty());
    QVERIFY(agent.killed().isEmpty());
}

void tst_AgentDelegate::lockAndUnlockOnBothSidesOfTheBoundary()
{
    AgentHarness agent;
    agent.start();
    agent.writeStore({});
    const QByteArray lost = AgentHarness::read(agent.paths.indexPlist);

    // Before macOS 26: lock touches only the desktop; unlock repairs a lost stamp.
    agent.notifications.deliver(DistributedNotificationNames::screenIsLocked);
    QCOMPARE(AgentHarness::read(agent.paths.indexPlist), lost);
    agent.notifications.deliver(DistributedNotificationNames::screenIsUnlocked);
    QVERIFY(agent.log.contains(QStringLiteral("Plist lost aerial config on unlock — restoring")));
    QVERIFY(agent.storeHasAerial());
    QCOMPARE(agent.desktop.calls,
        QStringList({ QStringLiteral("start"), QStringLiteral("blackOut"), QStringLiteral("restore") }));

    // From macOS 26: lock stamps, unlock does not look.
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
    agent.writeStore({});
    agent.notifications.deliver(DistributedNotificationNames::screenIsUnlocked);
    QVERIFY(!agent.storeHasAerial());
    agent.notifications.deliver(DistributedNotificationNames::screenIsLocked);
    QVERIFY(agent.storeHasAerial());
}

void tst_AgentDelegate::sleepStampsAndKillsTheAgent()
{
    AgentHarness agent;
    agent.start();
    agent.commands = FakeSystemCommands();
    agent.scheduler.advance(3s);
    const int stamps = agent.stamps();
    agent.workspace.raiseWillSleep();
    QCOMPARE(agent.stamps(), stamps + 1); // even though the store holds it
    QCOMPARE(agent.killed(), QStringList(QStringLiteral("WallpaperAgent")));
    agent.workspace.raiseWillSleep();
    QVERIFY(agent.log.contains(QStringLiteral("SIGKILL cooldown — skipping kill of WallpaperAgent")));
}

void tst_AgentDelegate::verificationTimerRepairsEvery300s()
{
    AgentHarness agent;
    agent.start();
    agent.writeStore({});
    agent.scheduler.advance(299s);
    QVERIFY(!agent.storeHasAerial());
    agent.scheduler.advance(1s);
    QVERIFY(agent.storeHasAerial());

    // While Lanto runs the timer looks at nothing (the re-check after the restart does, once).
    agent.scheduler.advance(2s);
    agent.notifications.deliver(DistributedNotificationNames::appLaunched);
    agent.writeStore({});
    agent.scheduler.advance(300s);
    QVERIFY(!agent.storeHasAerial());
    QCOMPARE(agent.scheduler.pendingCount(), 1);
}

QTEST_GUILESS_MAIN(tst_AgentDelegate)
#include "tst_agentdelegate.moc"
