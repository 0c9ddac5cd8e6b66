#include "AerialHarness.h"
#include "SystemVersion.h"
#include "UuidText.h"
#include "WallpaperStore.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString alreadySet = QStringLiteral("Lanto AerialManager: Aerial already set — skipping update and restart");
const QString sequoia
    = QStringLiteral("Lanto AerialManager: Sequoia — kicked WallpaperAerialsExtension (WallpaperAgent untouched)");
const QString verified = QStringLiteral("Lanto AerialManager: Verified aerial config is intact");
const QString superseded = QStringLiteral("Lanto AerialManager: Verify cancelled — newer apply superseded");
const QString lost = QStringLiteral("Lanto AerialManager: Config lost after stamp — re-stamping (no re-kill)");

const QVersionNumber tahoe(26, 0, 0);
const QVersionNumber sequoiaVersion(15, 5, 0);

// An aerial injected into a harness, with the kills and lines of the injection forgotten.
struct Injected
{
    QUuid asset;
    QString id;
};

Injected injectAndForget(AerialHarness& harness, const QString& hex = QStringLiteral("a1"))
{
    const auto asset = harness.manager->inject(QStringLiteral("Sea"), harness.addWallpaper(hex), std::nullopt);
    harness.background.advance(3s);
    harness.commands = FakeSystemCommands();
    harness.log.clear();
    return { *asset, uuidText(*asset) };
}

// The system wrote its own choice over the stamp.
void clobber(AerialHarness& harness)
{
    PlistValue::Dictionary root;
    stampAerial(root, QStringLiteral("00000000-1111-4000-8000-000000000000"), harness.mainDisplay());
    QString error;
    QVERIFY(WallpaperStoreFile::write(harness.paths.indexPlist, root, &error));
}

QStringList aerialLines(const LogCapture& log) { return log.lines().filter(QStringLiteral("Lanto AerialManager: ")); }

} // namespace

class AerialApplyTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { SystemVersion::setCurrent(tahoe); }
    void cleanupTestCase() { SystemVersion::setCurrent(tahoe); }

    void applyWhenStampedOnlySaysSo()
    {
        AerialHarness harness;
        const Injected aerial = injectAndForget(harness);

        harness.manager->apply(aerial.asset, harness.mainDisplay(), true);

        QCOMPARE(harness.log.lines(), QStringList { alreadySet });
        QVERIFY(harness.commands.killallCalls().isEmpty());
        QCOMPARE(harness.background.pendingCount(), 0);
    }

    void applyKillsBySystemVersion_data()
    {
        QTest::addColumn<QVersionNumber>("version");
        QTest::addColumn<bool>("killExtension");
        QTest::addColumn<QStringList>("killed");
        QTest::addColumn<bool>("sequoiaLine");
        QTest::newRow("26, injection") << tahoe << true << QStringList { "WallpaperAgent", "WallpaperAerialsExtension" }
                                       << false;
        QTest::newRow("26, handler") << tahoe << false << QStringList { "WallpaperAgent" } << false;
        QTest::newRow("15, injection") << sequoiaVersion << true << QStringList { "WallpaperAerialsExtension" } << true;
        QTest::newRow("15, handler") << sequoiaVersion << false << QStringList { "WallpaperAerialsExtension" } << true;
    }

    void applyKillsBySystemVersion()
    {
        QFETCH(QVersionNumber, version);
        QFETCH(bool, killExtension);
        QFETCH(QStringList, killed);
        QFETCH(bool, sequoiaLine);
        SystemVersion::setCurrent(version);
        AerialHarness harness;
        const QUuid asset = QUuid::createUuid();

        harness.manager->apply(asset, harness.mainDisplay(), killExtension);

        QVERIFY(harness.manager->isAerialStamped(uuidText(asset), harness.mainDisplay()));
        QCOMPARE(harness.killed(), killed);
        QCOMPARE(harness.log.contains(sequoia), sequoiaLine);
        for (const QString& name : killed)
            QVERIFY(harness.log.contains("Lanto AerialManager: SIGKILL'd " + name));
        QCOMPARE(harness.background.pendingCount(), 1);
    }

    void killsOfOneNameWithinTwoSecondsAreSkipped()
    {
        AerialHarness harness;
        const QUuid first = QUuid::createUuid();
        const QUuid second = QUuid::createUuid();

        harness.manager->apply(first, harness.mainDisplay(), false);
        harness.background.advance(1999ms);
        harness.manager->apply(second, harness.mainDisplay(), false);

        QVERIFY(harness.log.contains("Lanto AerialManager: SIGKILL cooldown — skipping kill of WallpaperAgent"));
        QCOMPARE(harness.killed(), QStringList { "WallpaperAgent" });
        QVERIFY(harness.manager->isAerialStamped(uuidText(second), harness.mainDisplay()));

        harness.background.advance(1ms);
        harness.manager->kill("WallpaperAgent");
        QCOMPARE(harness.killed(), QStringList({ "WallpaperAgent", "WallpaperAgent" }));
    }

    void failedKillsStillStartTheCooldown()
    {
        AerialHarness harness;
        harness.commands.setKillallResult({ true, 1, QString() });
        harness.manager->kill("WallpaperAgent");
        QVERIFY(aerialLines(harness.log).isEmpty());

        harness.commands.setKillallResult(FakeSystemCommands::failedToStart("No such file"));
        harness.manager->kill("WallpaperAgent");
        QCOMPARE(aerialLines(harness.log),
            QStringList { "Lanto AerialManager: SIGKILL cooldown — skipping kill of WallpaperAgent" });
        harness.manager->kill("WallpaperAerialsExtension");
        QCOMPARE(aerialLines(harness.log).last(),
            "Lanto AerialManager: Failed to kill WallpaperAerialsExtension — No such file");
        QCOMPARE(harness.commands.killallCalls().first().signal, SystemCommands::KillSignal::Kill);
    }

    void verificationChecksTheStampThreeSecondsLater()
    {
        AerialHarness harness;
        const auto asset = harness.manager->inject("Sea", harness.addWallpaper("a1"), std::nullopt);
        harness.background.advance(2999ms);
        QVERIFY(!harness.log.contains(verified));
        harness.background.advance(1ms);
        QVERIFY(harness.log.contains(verified));
        QVERIFY(harness.manager->isAerialStamped(uuidText(*asset), harness.mainDisplay()));
    }

    void verificationRestampsALostStampOnceWithoutKilling()
    {
        AerialHarness harness;
        const auto asset = harness.manager->inject("Sea", harness.addWallpaper("a1"), std::nullopt);
        const int kills = harness.commands.killallCalls().size();
        harness.background.advance(1s);
        clobber(harness);

        harness.background.advance(2s);

        QVERIFY(harness.log.contains(lost));
        QVERIFY(harness.manager->isAerialStamped(uuidText(*asset), harness.mainDisplay()));
        QCOMPARE(harness.commands.killallCalls().size(), kills);
        QCOMPARE(harness.background.pendingCount(), 0);
    }

    void newerInjectionCancelsThePendingVerification()
    {
        AerialHarness harness;
        harness.manager->inject("Sea", harness.addWallpaper("a1"), std::nullopt);
        harness.background.advance(1s);
        harness.manager->inject("Hill", harness.addWallpaper("b1"), std::nullopt);

        harness.background.advance(2s);
        QCOMPARE(harness.log.lines().filter("Verif").filter("Lanto AerialManager: V"), QStringList { superseded });
        QVERIFY(!harness.log.contains(lost));
        harness.background.advance(1s);
        QCOMPARE(harness.log.lines().filter("Lanto AerialManager: V"), QStringList({ superseded, verified }));
    }

    void restampOnRequestUsesTheSettingsAlone_data()
    {
        QTest::addColumn<QVersionNumber>("version");
        QTest::addColumn<bool>("clobbered");
        QTest::addColumn<bool>("withDisplay");
        QTest::addColumn<QStringList>("lines");
        const QString clobberedLine = QStringLiteral("Lanto AerialManager: Aerial clobbered — re-stamping plist");
        const QString killLine = QStringLiteral("Lanto AerialManager: SIGKILL'd WallpaperAerialsExtension");
        QTest::newRow("stamped") << tahoe << false << true << QStringList();
        QTest::newRow("no display in the settings") << tahoe << true << false << QStringList();
        QTest::newRow("clobbered on 26") << tahoe << true << true << QStringList { clobberedLine, killLine };
        QTest::newRow("clobbered on 15") << sequoiaVersion << true << true
                                         << QStringList { clobberedLine, killLine, sequoia };
    }

    void restampOnRequestUsesTheSettingsAlone()
    {
        QFETCH(QVersionNumber, version);
        QFETCH(bool, clobbered);
        QFETCH(bool, withDisplay);
        QFETCH(QStringList, lines);
        AerialHarness harness;
        const Injected aerial = injectAndForget(harness);
        SystemVersion::setCurrent(version);
        if (clobbered)
            clobber(harness);
        if (!withDisplay)
            harness.settings.set("activeDisplayUUID", std::nullopt);

        harness.manager->restampActiveAerial();

        QStringList actual = aerialLines(harness.log);
        actual.removeIf([](const QString& line) { return line.contains("Index.plist"); });
        QCOMPARE(actual, lines);
        QCOMPARE(harness.manager->isAerialStamped(aerial.id, harness.mainDisplay()), !clobbered || withDisplay);
    }

    void restampFromTheMainThreadRunsInTheBackground()
    {
        AerialHarness harness;
        const Injected aerial = injectAndForget(harness);
        clobber(harness);
        harness.manager->restampActiveAerialInBackground();
        QVERIFY(aerialLines(harness.log).isEmpty());
        harness.background.advance(0ms);
        QVERIFY(harness.log.contains("Lanto AerialManager: Aerial clobbered — re-stamping plist"));
        QVERIFY(harness.manager->isAerialStamped(aerial.id, harness.mainDisplay()));
    }

    void restampOnRequestIgnoresAnUnreadableAssetID()
    {
        AerialHarness harness;
        injectAndForget(harness);
        clobber(harness);
        harness.settings.set("activeAerialID", "not a uuid");
        harness.manager->restampActiveAerial();
        QVERIFY(aerialLines(harness.log).isEmpty());
    }

    void lockRestampsOnTheMainDisplay_data()
    {
        QTest::addColumn<QVersionNumber>("version");
        QTest::addColumn<bool>("clobbered");
        QTest::addColumn<QStringList>("killed");
        QTest::newRow("intact") << tahoe << false << QStringList();
        QTest::newRow("clobbered on 26") << tahoe << true << QStringList { "WallpaperAgent" };
        QTest::newRow("clobbered on 15") << sequoiaVersion << true << QStringList { "WallpaperAerialsExtension" };
    }

    void lockRestampsOnTheMainDisplay()
    {
        QFETCH(QVersionNumber, version);
        QFETCH(bool, clobbered);
        QFETCH(QStringList, killed);
        AerialHarness harness;
        const Injected aerial = injectAndForget(harness);
        SystemVersion::setCurrent(version);
        if (clobbered)
            clobber(harness);

        harness.notifications.deliver("com.apple.screenIsLocked");
        QVERIFY(aerialLines(harness.log).isEmpty());
        harness.background.advance(0ms);

        QCOMPARE(
            harness.log.contains("Lanto AerialManager: screenIsLocked — aerial intact, no action needed"), !clobbered);
        QCOMPARE(harness.log.contains(
                     "Lanto AerialManager: screenIsLocked — aerial clobbered, re-stamping on " + harness.mainDisplay()),
            clobbered);
        QVERIFY(harness.manager->isAerialStamped(aerial.id, harness.mainDisplay()));
        QCOMPARE(harness.killed(), killed);
    }

    void unlockReappliesBelow26Only_data()
    {
        QTest::addColumn<QVersionNumber>("version");
        QTest::addColumn<bool>("clobbered");
        QTest::addColumn<QString>("line");
        QTest::newRow("26") << tahoe << true << QString();
        QTest::newRow("15 intact") << sequoiaVersion << false
                                   << "Lanto AerialManager: Plist still has aerial %1 — no restart needed";
        QTest::newRow("15 clobbered") << sequoiaVersion << true
                                      << "Lanto AerialManager: Plist lost aerial config — re-applying %1 on display %2";
    }

    void unlockReappliesBelow26Only()
    {
        QFETCH(QVersionNumber, version);
        QFETCH(bool, clobbered);
        QFETCH(QString, line);
        AerialHarness harness;
        const Injected aerial = injectAndForget(harness);
        SystemVersion::setCurrent(version);
        if (clobbered)
            clobber(harness);

        harness.notifications.deliver("com.apple.screenIsUnlocked");
        harness.background.advance(0ms);

        if (line.isEmpty()) {
            QVERIFY(aerialLines(harness.log).isEmpty());
            return;
        }
        QCOMPARE(aerialLines(harness.log).first(), line.arg(aerial.id, harness.mainDisplay()));
        QVERIFY(harness.manager->isAerialStamped(aerial.id, harness.mainDisplay()));
        QCOMPARE(harness.killed(), clobbered ? QStringList { "WallpaperAerialsExtension" } : QStringList());
    }

    void sleepStampsWithoutCheckingAndEndsTheAgent()
    {
        AerialHarness harness;
        SystemVersion::setCurrent(sequoiaVersion);
        const Injected aerial = injectAndForget(harness);

        harness.workspace.raiseWillSleep();
        harness.background.advance(0ms);

        QCOMPARE(aerialLines(harness.log).first(),
            "Lanto AerialManager: willSleep — stamping + killing WA to prevent SIGTERM clobber");
        QVERIFY(aerialLines(harness.log).filter("Updated Index.plist").size() == 1);
        QCOMPARE(harness.killed(), QStringList { "WallpaperAgent" });
        QVERIFY(harness.manager->isAerialStamped(aerial.id, harness.mainDisplay()));
    }

    void eachWakeChecksOneSecondLater()
    {
        AerialHarness harness;
        const Injected aerial = injectAndForget(harness);
        clobber(harness);

        harness.workspace.raiseScreensDidWake();
        harness.workspace.raiseDidWake();
        harness.background.advance(999ms);
        QVERIFY(harness.log.lines().filter("Wake").isEmpty());
        harness.background.advance(1ms);

        QCOMPARE(harness.log.lines().filter("Wake"),
            QStringList({ "Lanto AerialManager: Wake — plist clobbered, re-stamping",
                "Lanto AerialManager: Wake — aerial still set, no action needed" }));
        QCOMPARE(harness.killed(), QStringList { "WallpaperAgent" });
        QVERIFY(harness.manager->isAerialStamped(aerial.id, harness.mainDisplay()));
    }

    void mainDisplayChangeMovesTheAerial()
    {
        AerialHarness harness(2);
        const Injected aerial = injectAndForget(harness);
        const QString newMain = FakeDisplays::uuidForNumber(2);

        harness.displays.setMainDisplay(newMain);
        harness.workspace.raiseScreenParametersChanged();
        harness.background.advance(0ms);

        QCOMPARE(aerialLines(harness.log).first(),
            "Lanto AerialManager: Main display UUID changed from " + harness.mainDisplay() + " to " + newMain);
        QCOMPARE(harness.settings.string("activeDisplayUUID"), newMain);
        QCOMPARE(harness.manager->activeDisplayUUID(), newMain);
        QVERIFY(!harness.manager->isAerialStamped(aerial.id, newMain));

        harness.background.advance(1s);
        QVERIFY(harness.log.contains(
            "Lanto AerialManager: Screen config changed — re-applying aerial " + aerial.id + " on display " + newMain));
        QVERIFY(harness.manager->isAerialStamped(aerial.id, newMain));

        harness.log.clear();
        harness.workspace.raiseScreenParametersChanged();
        harness.background.advance(1s);
        QCOMPARE(aerialLines(harness.log),
            QStringList { "Lanto AerialManager: Screen config changed but aerial still set — skipping restart" });
    }

    void storeThatCannotBeStampedRestartsNothing_data()
    {
        QTest::addColumn<QString>("event");
        for (const char* event : { "apply", "restamp", "lock", "sleep", "wake" })
            QTest::newRow(event) << QString::fromLatin1(event);
    }

    void storeThatCannotBeStampedRestartsNothing()
    {
        QFETCH(QString, event);
        AerialHarness harness;
        const Injected aerial = injectAndForget(harness);
        AerialHarness::write(harness.paths.indexPlist, "bplist00 damaged");

        if (event == "apply")
            harness.manager->apply(aerial.asset, harness.mainDisplay(), true);
        else if (event == "restamp")
            harness.manager->restampActiveAerial();
        else if (event == "lock")
            harness.notifications.deliver("com.apple.screenIsLocked");
        else if (event == "sleep")
            harness.workspace.raiseWillSleep();
        else
            harness.workspace.raiseDidWake();
        harness.background.advance(1s);

        QVERIFY(harness.log.contains("Lanto AerialManager: Index.plist unreadable — left as it is"));
        QVERIFY(harness.commands.killallCalls().isEmpty());
        QCOMPARE(harness.background.pendingCount(), 0);
        QCOMPARE(AerialHarness::read(harness.paths.indexPlist), "bplist00 damaged");
    }

    void handlersDoNothingWithoutAnActiveAerial()
    {
        AerialHarness harness;
        const Injected aerial = injectAndForget(harness);
        harness.manager->remove(aerial.asset);
        clobber(harness);
        harness.log.clear();
        harness.commands = FakeSystemCommands();

        harness.notifications.deliver("com.apple.screenIsLocked");
        harness.workspace.raiseWillSleep();
        harness.workspace.raiseDidWake();
        harness.workspace.raiseScreenParametersChanged();
        harness.background.advance(2s);
        harness.manager->handleScreenLocked();
        harness.manager->handleWillSleep();

        QVERIFY(aerialLines(harness.log).isEmpty());
        QVERIFY(harness.commands.killallCalls().isEmpty());
    }

    void observersAreRegisteredOnce()
    {
        AerialHarness harness;
        harness.manager->inject("Sea", harness.addWallpaper("a1"), std::nullopt);
        harness.manager->inject("Hill", harness.addWallpaper("b1"), std::nullopt);
        QCOMPARE(harness.log.lines().filter("Registered lock/unlock/wake observers").size(), 1);
        QCOMPARE(harness.log.lines().filter("Registered screen change observer").size(), 1);
        harness.background.advance(3s);
        harness.log.clear();

        harness.workspace.raiseWillSleep();
        harness.background.advance(0ms);
        QCOMPARE(harness.log.lines().filter("willSleep").size(), 1);
    }

    void pendingChecksDieWithTheManager()
    {
        AerialHarness harness;
        harness.manager->inject("Sea", harness.addWallpaper("a1"), std::nullopt);
        harness.workspace.raiseDidWake();
        harness.manager.reset();
        harness.log.clear();
        harness.background.advance(5s);
        // Only the verification says why it did not check.
        QCOMPARE(harness.log.lines(), QStringList { superseded });
    }
};

QTEST_GUILESS_MAIN(AerialApplyTest)
#include "tst_aerialapply.moc"
