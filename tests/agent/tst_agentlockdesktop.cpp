// The agent's desktop pictures at screen lock and unlock: the displays other
// than the main one show the black picture while locked and get their
// wallpaper's picture, or what they had, back afterwards.
#include "AgentDesktopFixture.h"
#include "LogCapture.h"
#include "SystemVersion.h"
#include "TestPictures.h"

#include <QTest>

namespace {

DesktopPictureOptions fillOptions()
{
    DesktopPictureOptions options;
    options.imageScaling = DesktopPictureOptions::scaleProportionallyUpOrDown;
    options.allowClipping = true;
    return options;
}

} // namespace

class tst_AgentLockDesktop : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lockAndUnlock_data();
    void lockAndUnlock();
    void twoLocksKeepWhatTheFirstRemembered();
    void blackoutPictureIsWrittenOnceWithoutALogLine();

private:
    // Displays side by side, the first the main one, each showing the picture "before.png".
    void addDisplays(int count);
    QString pictureName(const FakeDesktopPicture::SetCall& call) const { return call.url.fileName(); }

    std::unique_ptr<AgentFixture> m_fixture;
    QUrl m_before;
    QUrl m_video;
};

void tst_AgentLockDesktop::init()
{
    SystemVersion::setCurrent(QVersionNumber(15, 0, 0));
    m_fixture = std::make_unique<AgentFixture>();
    m_before = TestPictures::stripes(m_fixture->home.path(), QStringLiteral("before.png"), QSize(4, 4), { Qt::green });
    m_video = m_fixture->wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    TestPictures::stripes(
        QFileInfo(m_video.toLocalFile()).path(), QStringLiteral("Poster.png"), QSize(4, 4), { Qt::red });
}

void tst_AgentLockDesktop::cleanup()
{
    m_fixture.reset();
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
}

void tst_AgentLockDesktop::addDisplays(int count)
{
    for (int i = 1; i <= count; ++i) {
        const ConnectedDisplay display
            = m_fixture->displays.addDisplay(QStringLiteral("Display %1").arg(i), QRect(800 * (i - 1), 0, 800, 600));
        m_fixture->desktopPicture.setPicture(display.uuid, m_before);
    }
}

void tst_AgentLockDesktop::lockAndUnlock_data()
{
    QTest::addColumn<int>("displays");
    QTest::addColumn<bool>("secondShowsVideo");
    QTest::addColumn<int>("majorVersion");
    QTest::addColumn<QStringList>("atLock");
    QTest::addColumn<QStringList>("atUnlock");

    QTest::newRow("one display: nothing changes") << 1 << false << 15 << QStringList() << QStringList();
    QTest::newRow("second shows a video: black, then its poster")
        << 2 << true << 15 << QStringList { QStringLiteral("Blackout.png") }
        << QStringList { QStringLiteral("Poster.png") };
    QTest::newRow("second shows nothing of ours: black, then what it had")
        << 2 << false << 15 << QStringList { QStringLiteral("Blackout.png") }
        << QStringList { QStringLiteral("before.png") };
    QTest::newRow("macOS 26: no picture is touched") << 2 << true << 26 << QStringList() << QStringList();
}

void tst_AgentLockDesktop::lockAndUnlock()
{
    QFETCH(int, displays);
    QFETCH(bool, secondShowsVideo);
    QFETCH(int, majorVersion);
    QFETCH(QStringList, atLock);
    QFETCH(QStringList, atUnlock);
    AgentFixture& f = *m_fixture;
    SystemVersion::setCurrent(QVersionNumber(majorVersion, 0, 0));
    addDisplays(displays);
    QList<ScreenModel> records { DesktopFixture::showing(1, m_video) };
    if (secondShowsVideo)
        records.append(DesktopFixture::showing(2, m_video));
    f.lantoWrites(records);
    AgentDesktopController& agent = f.startAgent();

    LogCapture log;
    agent.blackOutOtherDisplays();
    QStringList set;
    for (const FakeDesktopPicture::SetCall& call : f.desktopPicture.setCalls()) {
        set.append(pictureName(call));
        QCOMPARE(call.displayUuid, FakeDisplays::uuidForNumber(2));
        QCOMPARE(call.options, fillOptions());
    }
    QCOMPARE(set, atLock);
    // The picture from before the lock is remembered on either side of macOS 26.
    QCOMPARE(agent.preLockDesktopByDisplay().value(QStringLiteral("2")), displays > 1 ? m_before : QUrl());
    if (!atLock.isEmpty())
        QVERIFY(log.contains(QStringLiteral("Desktop → Blackout.png on 2")));

    set.clear();
    const qsizetype before = f.desktopPicture.setCalls().size();
    agent.restoreOtherDisplays();
    for (const FakeDesktopPicture::SetCall& call : f.desktopPicture.setCalls().mid(before))
        set.append(pictureName(call));
    QCOMPARE(set, atUnlock);
    QVERIFY(agent.preLockDesktopByDisplay().isEmpty());
}

void tst_AgentLockDesktop::twoLocksKeepWhatTheFirstRemembered()
{
    AgentFixture& f = *m_fixture;
    addDisplays(2);
    f.lantoWrites({ DesktopFixture::showing(1, m_video) });
    AgentDesktopController& agent = f.startAgent();

    agent.blackOutOtherDisplays();
    // The second lock finds the black picture in place.
    QCOMPARE(f.desktopPicture.picture(FakeDisplays::uuidForNumber(2))->fileName(), QStringLiteral("Blackout.png"));
    agent.blackOutOtherDisplays();
    QCOMPARE(agent.preLockDesktopByDisplay().value(QStringLiteral("2")), m_before);
    agent.restoreOtherDisplays();
    QCOMPARE(f.desktopPicture.picture(FakeDisplays::uuidForNumber(2)), m_before);
}

void tst_AgentLockDesktop::blackoutPictureIsWrittenOnceWithoutALogLine()
{
    AgentFixture& f = *m_fixture;
    addDisplays(2);
    AgentDesktopController& agent = f.startAgent();
    const QString path = QDir(f.home.appSupportPath()).filePath(QStringLiteral("Blackout.png"));
    QVERIFY(!QFileInfo::exists(path));

    LogCapture log;
    QCOMPARE(agent.blackoutImageURL(), QUrl::fromLocalFile(path));
    const QImage black(path);
    QCOMPARE(black.size(), QSize(2, 2));
    QCOMPARE(black.pixel(1, 1), qRgba(0, 0, 0, 255));
    QVERIFY(log.lines().isEmpty());

    // Computed once: a file replaced later is neither looked at nor written again.
    QVERIFY(QFile::remove(path));
    agent.blackOutOtherDisplays();
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(f.desktopPicture.picture(FakeDisplays::uuidForNumber(2)), QUrl::fromLocalFile(path));
}

QTEST_MAIN(tst_AgentLockDesktop)
#include "tst_agentlockdesktop.moc"
