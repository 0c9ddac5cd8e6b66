// The hand-over between two real processes on the X display: a stand-in for
// Lanto shows a video and quits, the LantoAgent program takes the desktop
// over at the position Lanto handed over, and gives it back when the stand-in
// starts again. Both log what they hand over and where they resume.
#include "PrivateBus.h"
#include "TestClip.h"
#include "TestPictures.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace {

constexpr int startTimeout = 20000;

QRegularExpression line(const QString& pattern) { return QRegularExpression(pattern); }

// One program started by the test, its output kept line by line.
class Program
{
public:
    Program(const QString& path, const QStringList& arguments, const QProcessEnvironment& environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(path, arguments);
    }

    ~Program()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished();
    }

    bool isRunning() const { return m_process.state() == QProcess::Running; }

    // The first line from the program that matches, waiting for it until the timeout.
    std::optional<QRegularExpressionMatch> waitFor(const QRegularExpression& pattern, int timeout = startTimeout)
    {
        const QDeadlineTimer deadline(timeout);
        for (;;) {
            collect();
            for (const QString& line : std::as_const(m_lines)) {
                const QRegularExpressionMatch match = pattern.match(line);
                if (match.hasMatch())
                    return match;
            }
            if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
                break;
        }
        collect();
        qWarning().noquote() << "Not seen:" << pattern.pattern() << "\n" << m_lines.join('\n');
        return std::nullopt;
    }

    void write(const QByteArray& bytes) { m_process.write(bytes); }

    // Where the stand-in's video is, as it answers "position"; every answer once.
    double position()
    {
        write("position\n");
        const auto answer = waitFor(line(QStringLiteral("^position ([0-9.e+-]+)$")));
        if (!answer)
            return 0;
        m_lines.removeOne(answer->captured(0));
        return answer->captured(1).toDouble();
    }
    bool waitForExit() { return m_process.waitForFinished(startTimeout) && m_process.exitCode() == 0; }

private:
    void collect()
    {
        m_pending += m_process.readAll();
        qsizetype end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_lines.append(QString::fromUtf8(m_pending.left(end)));
            m_pending.remove(0, end + 1);
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
};

} // namespace

class tst_AgentHandover : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void videoContinuesAcrossBothHandOvers();

private:
    std::unique_ptr<Program> startStandIn(const QStringList& arguments);
    // Waits until the video, blue above and yellow below, fills the middle of
    // the screen, and keeps the screenshot under name beside the test.
    void verifyVideoOnScreen(const QString& name);

    QTemporaryDir m_home;
    // Both programs talk over a bus of their own: a Lanto or agent of the
    // user's on theirs is in another session, which the agent leaves alone.
    PrivateBus m_session;
    QProcessEnvironment m_environment;
    QString m_video;
};

void tst_AgentHandover::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(m_home.isValid());
    const QString folder = m_home.filePath(QStringLiteral("Library/Application Support/Lanto/Downloads/aa"));
    QVERIFY(QDir().mkpath(folder));
    TestClip::Recipe recipe;
    recipe.size = QSize(160, 90);
    recipe.framesPerSecond = 10;
    recipe.frames = 600; // a minute: longer than the test runs, so no loop muddles the positions
    recipe.colour = [](int) { return QColor(Qt::blue); };
    recipe.lowerHalf = Qt::yellow;
    m_video = QDir(folder).filePath(QStringLiteral("content.mp4"));
    QString error;
    QVERIFY2(TestClip::write(m_video, recipe, &error), qPrintable(error));
    TestPictures::stripes(folder, QStringLiteral("Poster.png"), QSize(32, 18), { Qt::red });

    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(QStringLiteral("LANTO_TEST_HOME"), m_home.path());
    m_environment.insert(QStringLiteral("HOME"), m_home.path());
    m_environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(SANDBOX_LIBRARY));
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QVERIFY(m_session.isReady());
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_session.address());
}

std::unique_ptr<Program> tst_AgentHandover::startStandIn(const QStringList& arguments)
{
    return std::make_unique<Program>(QStringLiteral(STAND_IN_PROGRAM), arguments, m_environment);
}

void tst_AgentHandover::verifyVideoOnScreen(const QString& name)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect whole = screen->geometry();
    const QRect upper(whole.width() / 8, whole.height() / 8, whole.width() * 3 / 4, whole.height() / 4);
    const QRect lower = upper.translated(0, whole.height() / 2);
    const int area = upper.width() * upper.height();
    QImage shot;
    const auto showsVideo = [&] {
        shot = screen->grabWindow(0).toImage();
        return TestPictures::count(shot, upper, Qt::blue) > area * 9 / 10
            && TestPictures::count(shot, lower, Qt::yellow) > area * 9 / 10;
    };
    const bool shown = QTest::qWaitFor(showsVideo, startTimeout);
    const QString folder = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("handover-screens"));
    QDir().mkpath(folder);
    shot.save(QDir(folder).filePath(name + QStringLiteral(".png")));
    QVERIFY2(shown, qPrintable(name));
}

void tst_AgentHandover::videoContinuesAcrossBothHandOvers()
{
    // Before: Lanto shows the video; the agent, started meanwhile, leaves the desktop to it.
    std::unique_ptr<Program> lanto = startStandIn({ m_video });
    QVERIFY(lanto->waitFor(line(QStringLiteral("^Lanto: Video wallpaper shown on 1 screen"))));
    QVERIFY(lanto->waitFor(line(QStringLiteral("\\] STATUS → playing"))));
    verifyVideoOnScreen(QStringLiteral("1-before"));
    QVERIFY(!QTest::currentTestFailed());
    Program agent(QStringLiteral(AGENT_PROGRAM), {}, m_environment);
    QVERIFY(agent.waitFor(line(QStringLiteral("^Main app is running — desktop windows deferred to main app$"))));
    // Well past the first half second, so that the hand-over seek is taken.
    QTRY_VERIFY_WITH_TIMEOUT(lanto->position() > 1.5, startTimeout);

    // During: Lanto quits; the agent goes on from where Lanto stopped.
    lanto->write("quit\n");
    QVERIFY(lanto->waitForExit());
    const auto handedOver
        = lanto->waitFor(line(QStringLiteral("^Lanto: Snapshot position for screen (\\d+): ([0-9.]+)s$")));
    QVERIFY(handedOver);
    const QString screen = handedOver->captured(1);
    const double position = handedOver->captured(2).toDouble();

    QVERIFY(agent.waitFor(line(QStringLiteral("^IPC appWillTerminate handled in [0-9.]+s$"))));
    QVERIFY(agent.waitFor(line(QStringLiteral("^Starting video: content.mp4 on screen %1 at %2s handoff=true$")
                                   .arg(screen, QString::number(position, 'f', 1)))));
    const auto resumed
        = agent.waitFor(line(QStringLiteral("\\] handoff resumed at ([0-9.]+)s \\(handed over at ([0-9.]+)s\\)$")));
    QVERIFY(resumed);
    // Lanto's video ran on while the agent loaded its own: the agent goes that much further.
    const double target = resumed->captured(2).toDouble();
    QVERIFY2(target >= position && target - position < 5, qPrintable(resumed->captured(0)));
    const double resumedAt = resumed->captured(1).toDouble();
    qInfo("Lanto handed over %.2f s, the agent resumed at %.3f s for %.3f s", position, resumedAt, target);
    QVERIFY2(qAbs(resumedAt - target) <= 0.1, qPrintable(resumed->captured(0)));
    verifyVideoOnScreen(QStringLiteral("2-during"));

    // After: Lanto starts again; the agent records where it is and, a while later, closes its windows.
    lanto = startStandIn({});
    QVERIFY(lanto->waitFor(line(QStringLiteral("^Lanto: Restored 1 persisted wallpaper\\(s\\) on launch$"))));
    const auto givenBack
        = agent.waitFor(line(QStringLiteral("^deactivate\\(\\) snapshot screen=%1 pos=([0-9.]+)s$").arg(screen)));
    QVERIFY(givenBack);
    QVERIFY2(givenBack->captured(1).toDouble() >= resumedAt, qPrintable(givenBack->captured(0)));
    QVERIFY(agent.waitFor(line(QStringLiteral("^deactivate\\(\\) DONE — [0-9.]+s$"))));
    QVERIFY(agent.waitFor(line(QStringLiteral("\\] stop\\(\\) — url=content.mp4"))));
    verifyVideoOnScreen(QStringLiteral("3-after"));
    QVERIFY(agent.isRunning());
    lanto->write("quit\n");
    QVERIFY(lanto->waitForExit());
}

QTEST_MAIN(tst_AgentHandover)
#include "tst_agenthandover.moc"
