// The window manager's notices, for real: an X server of the test's own
// (Xvfb) with openbox, and a window of another program made full screen and
// back through the client messages any pager or program sends.
#include "EwmhMonitor.h"
#include "FakeDisplays.h"
#include "FakeDistributedNotifications.h"
#include "FakeRunningApplications.h"
#include "SystemWorkspace.h"
#include "XcbSupport.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int waitMilliseconds = 20000;

// A program's X connection: one top-level window and the messages it sends
// to the window manager.
class XClient
{
public:
    explicit XClient(const QString& display)
    {
        m_connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_atoms = internAtoms(m_connection,
            std::array<const char*, 5> { "_NET_ACTIVE_WINDOW", "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN",
                "_NET_CURRENT_DESKTOP", "_NET_SUPPORTING_WM_CHECK" });
    }
    ~XClient() { xcb_disconnect(m_connection); }

    bool isConnected() const { return m_root != XCB_WINDOW_NONE; }

    // The window manager runs and has said which workspace is current.
    bool hasWindowManager()
    {
        return hasRootProperty(m_atoms[4], XCB_ATOM_WINDOW) && hasRootProperty(m_atoms[3], XCB_ATOM_CARDINAL);
    }

    xcb_window_t showWindow()
    {
        const xcb_window_t window = xcb_generate_id(m_connection);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 100, 100, 400, 300, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(m_connection, window);
        xcb_flush(m_connection);
        return window;
    }

    // _NET_ACTIVE_WINDOW, as a pager asks for it.
    void activate(xcb_window_t window) { sendToRoot(window, m_atoms[0], { 2, XCB_CURRENT_TIME, 0, 0, 0 }); }

    void setFullScreen(xcb_window_t window, bool fullScreen)
    {
        sendToRoot(window, m_atoms[1], { fullScreen ? 1u : 0u, m_atoms[2], 0, 1, 0 });
    }

    void switchToDesktop(uint32_t desktop) { sendToRoot(m_root, m_atoms[3], { desktop, XCB_CURRENT_TIME, 0, 0, 0 }); }

private:
    bool hasRootProperty(xcb_atom_t property, xcb_atom_t type)
    {
        const auto cookie = xcb_get_property(m_connection, false, m_root, property, type, 0, 1);
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
        return reply && xcb_get_property_value_length(reply.get()) == 4;
    }

    void sendToRoot(xcb_window_t window, xcb_atom_t type, std::array<uint32_t, 5> data)
    {
        xcb_client_message_event_t message {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = type;
        std::copy(data.begin(), data.end(), message.data.data32);
        xcb_send_event(m_connection, false, m_root,
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    std::array<xcb_atom_t, 5> m_atoms {};
};

} // namespace

class tst_EwmhMonitor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void fullScreenWindowAndWorkspaceSwitch();
    void withoutXNothingHappens();

private:
    QProcess m_server;
    QProcess m_windowManager;
    QTemporaryDir m_home;
    QString m_display;
};

void tst_EwmhMonitor::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
        QSKIP("Xvfb and openbox are needed (scripts/install-deps installs them)");
    // Xvfb picks a free display and says which once it accepts clients.
    m_server.start(QStringLiteral("Xvfb"),
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp") });
    QVERIFY(m_server.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_server.canReadLine(), waitMilliseconds);
    m_display = QLatin1Char(':') + QString::fromLatin1(m_server.readLine().trimmed());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    // openbox's own default configuration, not the user's.
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    m_windowManager.setProcessEnvironment(environment);
    m_windowManager.start(QStringLiteral("openbox"), { QStringLiteral("--sm-disable") });
    QVERIFY(m_windowManager.waitForStarted());
    XClient probe(m_display);
    QVERIFY(probe.isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(probe.hasWindowManager(), waitMilliseconds);
}

void tst_EwmhMonitor::cleanupTestCase()
{
    for (QProcess* process : { &m_windowManager, &m_server }) {
        process->terminate();
        process->waitForFinished();
    }
}

void tst_EwmhMonitor::fullScreenWindowAndWorkspaceSwitch()
{
    EwmhMonitor monitor(m_display);
    QVERIFY(monitor.isConnected());
    QCOMPARE(monitor.fullScreenWindowFrame(), QRect());
    QCOMPARE(monitor.currentDesktop(), std::optional<quint32>(0));
    // The workspace the programs see, fed by the same window manager.
    FakeDisplays displays;
    FakeRunningApplications applications;
    FakeDistributedNotifications notices;
    SystemWorkspaceSources sources;
    sources.systemBus = QDBusConnection(QStringLiteral("no such connection"));
    sources.sessionBus = sources.systemBus;
    sources.x11Display = m_display;
    SystemWorkspace workspace(displays, applications, notices, sources);
    QSignalSpy spaces(&workspace, &Workspace::activeSpaceDidChange);

    XClient program(m_display);
    const xcb_window_t window = program.showWindow();
    const QRect wholeScreen(0, 0, 1280, 800);
    // A window manager ignores requests for a window it has not taken on yet, which on a
    // busy machine can be well after the map: ask again until it has acted on them.
    const auto becomesFullScreen = [&] {
        program.activate(window);
        program.setFullScreen(window, true);
        return monitor.fullScreenWindowFrame() == wholeScreen;
    };
    QTRY_VERIFY_WITH_TIMEOUT(becomesFullScreen(), waitMilliseconds);
    QTRY_COMPARE_WITH_TIMEOUT(workspace.fullScreenWindowFrame(), wholeScreen, waitMilliseconds);
    QVERIFY(workspace.isCoveredByFullScreenWindow(wholeScreen));

    program.setFullScreen(window, false);
    QTRY_COMPARE_WITH_TIMEOUT(monitor.fullScreenWindowFrame(), QRect(), waitMilliseconds);
    QTRY_COMPARE_WITH_TIMEOUT(workspace.fullScreenWindowFrame(), QRect(), waitMilliseconds);

    program.switchToDesktop(1);
    QTRY_COMPARE_WITH_TIMEOUT(monitor.currentDesktop(), std::optional<quint32>(1), waitMilliseconds);
    QTRY_COMPARE_WITH_TIMEOUT(spaces.size(), 1, waitMilliseconds);
    program.switchToDesktop(0);
    QTRY_COMPARE_WITH_TIMEOUT(spaces.size(), 2, waitMilliseconds);
}

void tst_EwmhMonitor::withoutXNothingHappens()
{
    EwmhMonitor monitor(QStringLiteral(":no-such-display"));
    QVERIFY(!monitor.isConnected());
    QCOMPARE(monitor.fullScreenWindowFrame(), QRect());
    QCOMPARE(monitor.currentDesktop(), std::nullopt);
}

QTEST_GUILESS_MAIN(tst_EwmhMonitor)
#include "tst_ewmhmonitor.moc"
