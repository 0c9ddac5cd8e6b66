#include "DesktopFixture.h"
#include "LogCapture.h"
#include "SystemVersion.h"
#include "TestPictures.h"

#include <QFileInfo>
#include <QTest>

#include <chrono>

using namespace std::chrono_literals;

namespace {

using SetCall = FakeDesktopPicture::SetCall;
using KillallCall = FakeSystemCommands::KillallCall;

const DesktopPictureOptions scaled { DesktopPictureOptions::scaleProportionallyUpOrDown, true };

QUrl file(const QString& path) { return QUrl::fromLocalFile(path); }

} // namespace

// The system desktop picture as the desktop controller keeps it: saved and put
// back, the poster as the menu-bar tint, still pictures, and the re-stamps.
class tst_SystemWallpapers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void keepsThePicturesFromBeforeTheFirstShow();
    void restoresOnlyBeforeMacOS26_data();
    void restoresOnlyBeforeMacOS26();
    void tintsOnlyTheMainDisplayOnMacOS26();
    void tintsEveryDisplayWithAFreshCopyBefore26();
    void skipsTheTintWithoutAPoster_data();
    void skipsTheTintWithoutAPoster();
    void restampsAfterTheTintOnlyWithTheLockScreenOn_data();
    void restampsAfterTheTintOnlyWithTheLockScreenOn();
    void setsAStillPictureThenRestartsTheImageExtension();
    void logsWhatTheSystemReportsBack();

private:
    // Two displays, the first one main, each with a system picture of its own.
    void twoDisplaysWithPictures();

    std::unique_ptr<DesktopFixture> m_fixture;
    ConnectedDisplay m_first;
    ConnectedDisplay m_second;
};

void tst_SystemWallpapers::init()
{
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
    m_fixture = std::make_unique<DesktopFixture>();
}

void tst_SystemWallpapers::cleanup()
{
    m_fixture.reset();
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
}

void tst_SystemWallpapers::twoDisplaysWithPictures()
{
    m_first = m_fixture->displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    m_second = m_fixture->displays.addDisplay(QStringLiteral("Display 2"), QRect(800, 0, 800, 600));
    m_fixture->desktopPicture.setPicture(m_first.uuid, file(QStringLiteral("/usr/share/first.png")));
    m_fixture->desktopPicture.setPicture(m_second.uuid, file(QStringLiteral("/usr/share/second.png")));
}

void tst_SystemWallpapers::keepsThePicturesFromBeforeTheFirstShow()
{
    SystemVersion::setCurrent(QVersionNumber(15, 0, 0));
    twoDisplaysWithPictures();
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = f.start();
    f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("Poster.png"));
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    const QMap<QString, QUrl> before { { QStringLiteral("1"), file(QStringLiteral("/usr/share/first.png")) },
        { QStringLiteral("2"), file(QStringLiteral("/usr/share/second.png")) } };

    controller.showVideoWallpaper(video);
    controller.showVideoWallpaper(video);
    QCOMPARE(controller.systemWallpapers().savedSystemWallpapers(), before);

    // A removal empties the map; the next show saves what is set now, the tint included.
    controller.removeWallpaper();
    QVERIFY(controller.systemWallpapers().savedSystemWallpapers().isEmpty());
    f.desktopPicture.setPicture(m_second.uuid, file(QStringLiteral("/usr/share/later.png")));
    controller.showVideoWallpaper(video);
    QCOMPARE(controller.systemWallpapers().savedSystemWallpapers().value(QStringLiteral("2")),
        file(QStringLiteral("/usr/share/later.png")));
}

void tst_SystemWallpapers::restoresOnlyBeforeMacOS26_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<bool>("restored");
    QTest::newRow("macOS 15") << 15 << true;
    QTest::newRow("macOS 26") << 26 << false;
}

void tst_SystemWallpapers::restoresOnlyBeforeMacOS26()
{
    QFETCH(int, major);
    QFETCH(bool, restored);
    SystemVersion::setCurrent(QVersionNumber(major, 0, 0));
    twoDisplaysWithPictures();
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = f.start();
    const QUrl picture = TestPictures::stripes(f.downloads, QStringLiteral("p.png"), QSize(8, 8), { Qt::red });
    controller.showWallpaper(picture);
    f.scheduler.advance(1s); // the still picture reaches the system

    // One display alone, then all: each gets its own saved picture back.
    controller.removeWallpaper(QStringLiteral("2"));
    QCOMPARE(f.desktopPicture.picture(m_second.uuid) == file(QStringLiteral("/usr/share/second.png")), restored);
    QVERIFY(!controller.systemWallpapers().savedSystemWallpapers().contains(QStringLiteral("2")));
    controller.removeWallpaper();
    QCOMPARE(f.desktopPicture.picture(m_first.uuid) == file(QStringLiteral("/usr/share/first.png")), restored);
    QVERIFY(controller.systemWallpapers().savedSystemWallpapers().isEmpty());
}

void tst_SystemWallpapers::tintsOnlyTheMainDisplayOnMacOS26()
{
    twoDisplaysWithPictures();
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = f.start();
    const QUrl poster = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("Poster.png"));
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));

    controller.showVideoWallpaper(video);
    QCOMPARE(f.desktopPicture.setCalls(), (QList<SetCall> { { poster, m_first.uuid, scaled } }));
    QVERIFY(!QFileInfo::exists(f.downloads + QStringLiteral("/aa/DesktopImage.png")));

    // On the second display alone, nothing is tinted: it is not the main one.
    controller.showVideoWallpaper(video, QStringLiteral("2"));
    QCOMPARE(f.desktopPicture.setCalls().size(), 1);
}

void tst_SystemWallpapers::tintsEveryDisplayWithAFreshCopyBefore26()
{
    SystemVersion::setCurrent(QVersionNumber(15, 0, 0));
    twoDisplaysWithPictures();
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = f.start();
    f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("Poster.png"), "first poster");
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    const QString copy = f.downloads + QStringLiteral("/aa/DesktopImage.png");

    controller.showVideoWallpaper(video);
    QCOMPARE(f.desktopPicture.setCalls(),
        (QList<SetCall> { { file(copy), m_first.uuid, scaled }, { file(copy), m_second.uuid, scaled } }));
    f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("Poster.png"), "second poster");
    controller.showVideoWallpaper(video);
    QFile tint(copy);
    QVERIFY(tint.open(QIODevice::ReadOnly));
    QCOMPARE(tint.readAll(), QByteArray("second poster"));
    // The copy in the folder is never taken for the content.
    QCOMPARE(controller.contentFileURL(QStringLiteral("aa")), video);
}

void tst_SystemWallpapers::skipsTheTintWithoutAPoster_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<QString>("line");
    QTest::newRow("macOS 15") << 15 << QString();
    QTest::newRow("macOS 26") << 26
                              << QStringLiteral(
                                     "Lanto: Tahoe — no Poster.png next to content.mov, skipping menu bar tint");
}

void tst_SystemWallpapers::skipsTheTintWithoutAPoster()
{
    QFETCH(int, major);
    QFETCH(QString, line);
    SystemVersion::setCurrent(QVersionNumber(major, 0, 0));
    twoDisplaysWithPictures();
    DesktopFixture& f = *m_fixture;
    f.settings.set(SettingsKey::lockScreenEnabled, PlistValue(true));
    DesktopWindowController& controller = f.start();
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));

    LogCapture log;
    controller.showVideoWallpaper(video);
    // The video file itself is never offered as a picture, and nothing re-stamps.
    QVERIFY(f.desktopPicture.setCalls().isEmpty());
    QVERIFY(log.contains(QStringLiteral("Lanto: No Poster.png at ") + f.downloads + QStringLiteral("/aa/Poster.png")));
    if (!line.isEmpty())
        QVERIFY(log.contains(line));
    f.settle();
    QCOMPARE(f.playing(QStringLiteral("1")), video);
}

void tst_SystemWallpapers::restampsAfterTheTintOnlyWithTheLockScreenOn_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<bool>("lockScreen");
    QTest::addColumn<int>("restamps");
    QTest::newRow("macOS 15, lock screen on") << 15 << true << 1;
    QTest::newRow("macOS 15, lock screen off") << 15 << false << 0;
    QTest::newRow("macOS 26, lock screen on") << 26 << true << 0;
}

void tst_SystemWallpapers::restampsAfterTheTintOnlyWithTheLockScreenOn()
{
    QFETCH(int, major);
    QFETCH(bool, lockScreen);
    QFETCH(int, restamps);
    SystemVersion::setCurrent(QVersionNumber(major, 0, 0));
    DesktopFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    f.settings.set(SettingsKey::lockScreenEnabled, PlistValue(lockScreen));
    DesktopWindowController& controller = f.start();
    int stamped = 0;
    controller.setRestampActiveAerial([&] { ++stamped; });
    f.scheduler.advance(2s); // the start-up refresh has its own re-stamp
    stamped = 0;
    f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("Poster.png"));
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));

    LogCapture log;
    controller.showVideoWallpaper(video);
    f.scheduler.advance(1400ms);
    QCOMPARE(stamped, 0);
    f.scheduler.advance(200ms);
    QCOMPARE(stamped, restamps);
    QCOMPARE(log.contains(QStringLiteral("Lanto: Poster-then-restamp — aerial restored after menu bar tint cache")),
        restamps > 0);
}

void tst_SystemWallpapers::setsAStillPictureThenRestartsTheImageExtension()
{
    SystemVersion::setCurrent(QVersionNumber(15, 0, 0));
    twoDisplaysWithPictures();
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = f.start();
    const QUrl picture = TestPictures::stripes(f.downloads, QStringLiteral("p.png"), QSize(8, 8), { Qt::red });

    // A picture on one display becomes every display's system picture.
    controller.showWallpaper(picture, QStringLiteral("1"));
    const QUrl cleared = QUrl::fromLocalFile(QString());
    QCOMPARE(f.desktopPicture.setCalls(),
        (QList<SetCall> { { cleared, m_first.uuid, {} }, { cleared, m_second.uuid, {} } }));
    f.scheduler.advance(499ms);
    QCOMPARE(f.desktopPicture.setCalls().size(), 2);
    f.scheduler.advance(1ms);
    QCOMPARE(f.desktopPicture.picture(m_second.uuid), picture);
    QVERIFY(f.commands.killallCalls().isEmpty());
    f.scheduler.advance(300ms);
    QCOMPARE(f.commands.killallCalls(),
        (QList<KillallCall> {
            { QStringLiteral("WallpaperImageExtension"), SystemCommands::KillSignal::Default, true } }));
    QVERIFY(!f.window(QStringLiteral("2"))->isVisible());
}

void tst_SystemWallpapers::logsWhatTheSystemReportsBack()
{
    twoDisplaysWithPictures();
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = f.start();
    f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("Poster.png"));
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));

    LogCapture log;
    f.desktopPicture.setReadable(false);
    controller.showVideoWallpaper(video);
    QVERIFY(log.contains(QStringLiteral("Lanto: System wallpaper → Poster.png on 1, verify=nil")));
    f.desktopPicture.failWith(QStringLiteral("not allowed"));
    controller.showVideoWallpaper(video);
    QVERIFY(log.contains(QStringLiteral("Lanto: setDesktopImageURL failed on 1: not allowed")));
}

QTEST_MAIN(tst_SystemWallpapers)
#include "tst_systemwallpapers.moc"
