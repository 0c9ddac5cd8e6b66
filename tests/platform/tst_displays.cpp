#include "Displays.h"
#include "FakeDisplays.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRegularExpression canonicalUuid(
    QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));

QStringList uuids(const QList<ConnectedDisplay>& displays)
{
    QStringList result;
    for (const ConnectedDisplay& display : displays)
        result << display.uuid;
    return result;
}

} // namespace

class tst_Displays : public QObject
{
    Q_OBJECT

private slots:
    void identityIsFixedForGood();
    void identityDependsOnEveryField_data();
    void identityDependsOnEveryField();
    void screensBecomeDisplays();
    void identitiesAreStableAcrossInstances();
    void fakeDisplaysFollowTheTest();
    void fakeMainDisplayFallsBackToTheFirst();
};

void tst_Displays::identityIsFixedForGood()
{
    // Per-display records of both programs are keyed by these values: a change
    // of the rule would orphan every stored record.
    const DisplayIdentity identity = ScreenDisplays::identityFor(
        QStringLiteral("DP-1"), QStringLiteral("Dell Inc."), QStringLiteral("DELL U2720Q"), QStringLiteral("ABC123"));
    // A standard name-based (version 5) UUID, so any implementation can rebuild it.
    QCOMPARE(identity.uuid, QStringLiteral("879A647E-38E9-5114-8732-573FCC5D7CBD"));
    QCOMPARE(identity.number, 0x879A647Eu);
}

void tst_Displays::identityDependsOnEveryField_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("name") << QStringList { "HDMI-1", "Dell Inc.", "DELL U2720Q", "ABC123" };
    QTest::newRow("manufacturer") << QStringList { "DP-1", "Other", "DELL U2720Q", "ABC123" };
    QTest::newRow("model") << QStringList { "DP-1", "Dell Inc.", "DELL P2419H", "ABC123" };
    QTest::newRow("serial") << QStringList { "DP-1", "Dell Inc.", "DELL U2720Q", "ABC124" };
    // The fields are kept apart, so moving text from one to the next is a new display.
    QTest::newRow("shifted") << QStringList { "DP-1Dell Inc.", "", "DELL U2720Q", "ABC123" };
}

void tst_Displays::identityDependsOnEveryField()
{
    QFETCH(QStringList, fields);
    const DisplayIdentity reference = ScreenDisplays::identityFor(
        QStringLiteral("DP-1"), QStringLiteral("Dell Inc."), QStringLiteral("DELL U2720Q"), QStringLiteral("ABC123"));
    const DisplayIdentity other = ScreenDisplays::identityFor(fields[0], fields[1], fields[2], fields[3]);
    QVERIFY(other.uuid != reference.uuid);
    QVERIFY(other.number != reference.number);
    QVERIFY(canonicalUuid.match(other.uuid).hasMatch());
    QVERIFY(other.number != 0);
}

void tst_Displays::screensBecomeDisplays()
{
    // main() configured two offscreen screens.
    ScreenDisplays displays;
    const QList<ConnectedDisplay> all = displays.displays();
    const QList<QScreen*> screens = QGuiApplication::screens();
    QCOMPARE(all.size(), 2);
    QCOMPARE(screens.size(), 2);

    QSet<quint32> numbers;
    for (int i = 0; i < all.size(); ++i) {
        const ConnectedDisplay& display = all[i];
        QCOMPARE(display.screen.data(), screens[i]);
        QCOMPARE(display.frame, screens[i]->geometry());
        QCOMPARE(display.localizedName, screens[i]->name());
        QVERIFY(display.number.has_value());
        QVERIFY(*display.number != 0);
        QVERIFY2(canonicalUuid.match(display.uuid).hasMatch(), qPrintable(display.uuid));
        const DisplayIdentity expected = ScreenDisplays::identityFor(
            screens[i]->name(), screens[i]->manufacturer(), screens[i]->model(), screens[i]->serialNumber());
        QCOMPARE(display.uuid, expected.uuid);
        QCOMPARE(*display.number, expected.number);
        numbers.insert(*display.number);
    }
    QCOMPARE(numbers.size(), 2);
    QCOMPARE(all[1].frame, QRect(1920, 0, 1280, 1024));

    const std::optional<ConnectedDisplay> main = displays.mainDisplay();
    QVERIFY(main.has_value());
    QCOMPARE(main->screen.data(), QGuiApplication::primaryScreen());
    QCOMPARE(main->uuid, all.first().uuid);
}

void tst_Displays::identitiesAreStableAcrossInstances()
{
    ScreenDisplays first;
    ScreenDisplays second;
    QCOMPARE(uuids(second.displays()), uuids(first.displays()));
}

void tst_Displays::fakeDisplaysFollowTheTest()
{
    FakeDisplays displays;
    QSignalSpy changed(&displays, &Displays::displaysChanged);

    const ConnectedDisplay left = displays.addDisplay(QStringLiteral("Left"), QRect(0, 0, 1920, 1080));
    const ConnectedDisplay right = displays.addDisplay(QStringLiteral("Right"), QRect(1920, 0, 2560, 1440));
    QCOMPARE(left.number, std::optional<quint32>(1));
    QCOMPARE(right.number, std::optional<quint32>(2));
    QVERIFY(canonicalUuid.match(right.uuid).hasMatch());
    QCOMPARE(uuids(displays.displays()), (QStringList { left.uuid, right.uuid }));

    displays.moveDisplay(1, 0);
    QCOMPARE(uuids(displays.displays()), (QStringList { right.uuid, left.uuid }));

    displays.removeNumber(left.uuid);
    QCOMPARE(displays.displays().last().number, std::nullopt);

    displays.removeDisplay(right.uuid);
    QCOMPARE(uuids(displays.displays()), QStringList { left.uuid });

    // A display added later never takes a number that was given before.
    QCOMPARE(displays.addDisplay(QStringLiteral("Third"), QRect()).number, std::optional<quint32>(3));
    QCOMPARE(changed.size(), 6);
}

void tst_Displays::fakeMainDisplayFallsBackToTheFirst()
{
    FakeDisplays displays;
    QCOMPARE(displays.mainDisplay().has_value(), false);

    const ConnectedDisplay first = displays.addDisplay(QStringLiteral("First"), QRect(0, 0, 100, 100));
    const ConnectedDisplay second = displays.addDisplay(QStringLiteral("Second"), QRect(100, 0, 100, 100));
    QCOMPARE(displays.mainDisplay()->uuid, first.uuid);

    displays.setMainDisplay(second.uuid);
    QCOMPARE(displays.mainDisplay()->uuid, second.uuid);

    displays.removeDisplay(second.uuid);
    QCOMPARE(displays.mainDisplay()->uuid, first.uuid);
}

int main(int argc, char** argv)
{
    // Two screens side by side, through the offscreen platform's configuration file.
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [
        {"name": "Built-in", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "dpr": 1},
        {"name": "External", "x": 1920, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1}
    ]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));

    QGuiApplication app(argc, argv);
    tst_Displays test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_displays.moc"
