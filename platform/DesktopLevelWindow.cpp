#include "DesktopLevelWindow.h"

#include "XcbSupport.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The EWMH atoms the window needs, interned in one round trip.
struct Atoms
{
    enum Name {
        WmWindowType,
        WmWindowTypeDesktop,
        WmState,
        WmStateSticky,
        WmStateSkipTaskbar,
        WmStateSkipPager,
        WmDesktop,
        Count
    };

    explicit Atoms(xcb_connection_t* connection)
    {
        static constexpr std::array<const char*, Count> names
            = { "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DESKTOP", "_NET_WM_STATE", "_NET_WM_STATE_STICKY",
                  "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_DESKTOP" };
        atoms = internAtoms(connection, names);
    }

    xcb_atom_t operator[](Name name) const { return atoms[name]; }

    std::array<xcb_atom_t, Count> atoms {};
};

// _NET_WM_DESKTOP value for "every workspace".
constexpr uint32_t allDesktops = 0xFFFFFFFF;

} // namespace

// The X11 side of the window: the desktop window type, the sticky and skip
// states and the "every workspace" desktop number, which window managers read.
class DesktopLevelWindow::X11Hints
{
public:
    // Nothing when the application does not run on X11.
    static std::unique_ptr<X11Hints> create(DesktopLevelWindow& window)
    {
        auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (!x11 || !x11->connection())
            return nullptr;
        return std::make_unique<X11Hints>(window, x11->connection());
    }

    X11Hints(DesktopLevelWindow& window, xcb_connection_t* connection)
        : m_window(window), m_connection(connection), m_atoms(connection)
    {
    }

    // After the native window exists, and again whenever Qt rewrote its flags:
    // Qt sets its own window type from the flags each time.
    void applyWindowType()
    {
        const xcb_atom_t desktopType = m_atoms[Atoms::WmWindowTypeDesktop];
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, windowId(), m_atoms[Atoms::WmWindowType],
            XCB_ATOM_ATOM, 32, 1, &desktopType);
        xcb_flush(m_connection);
    }

    // Before every map: the window manager drops _NET_WM_STATE when a window is
    // withdrawn, and Qt merges its own states into what it finds.
    void applyBeforeMap()
    {
        const xcb_window_t id = windowId();
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, id, m_atoms[Atoms::WmDesktop], XCB_ATOM_CARDINAL, 32, 1, &allDesktops);

        std::vector<xcb_atom_t> states;
        const auto cookie = xcb_get_property(m_connection, false, id, m_atoms[Atoms::WmState], XCB_ATOM_ATOM, 0, 1024);
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
        if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
            const auto* existing = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
            states.assign(existing, existing + reply->value_len);
        }
        for (const auto name : { Atoms::WmStateSticky, Atoms::WmStateSkipTaskbar, Atoms::WmStateSkipPager }) {
            if (std::find(states.begin(), states.end(), m_atoms[name]) == states.end())
                states.push_back(m_atoms[name]);
        }
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, m_atoms[Atoms::WmState], XCB_ATOM_ATOM, 32,
            uint32_t(states.size()), states.data());
        xcb_flush(m_connection);
    }

private:
    xcb_window_t windowId() const { return xcb_window_t(m_window.winId()); }

    DesktopLevelWindow& m_window;
    xcb_connection_t* m_connection;
    Atoms m_atoms;
};

DesktopLevelWindow::DesktopLevelWindow(const QRect& frame, QScreen* screen) : m_x11(X11Hints::create(*this))
{
    if (screen)
        setScreen(screen);
    setFlags(flagsForLevel(m_level));

    // Clear where nothing is drawn, so that an empty window shows what lies beneath.
    QSurfaceFormat surfaceFormat = requestedFormat();
    surfaceFormat.setAlphaBufferSize(8);
    setFormat(surfaceFormat);
    setColor(Qt::transparent);

    if (!frame.isNull())
        setGeometry(frame);
}

DesktopLevelWindow::~DesktopLevelWindow() = default;

Qt::WindowFlags DesktopLevelWindow::flagsForLevel(int level) const
{
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
        | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;
    // Without the X11 window type only a tool window keeps out of the taskbar.
    if (!m_x11)
        flags |= Qt::Tool;
    if (level < normalLevel)
        flags |= Qt::WindowStaysOnBottomHint;
    return flags;
}

void DesktopLevelWindow::setLevel(int level)
{
    m_level = level;
    const Qt::WindowFlags wanted = flagsForLevel(level);
    if (flags() == wanted)
        return;
    setFlags(wanted);
    if (m_x11 && handle())
        m_x11->applyWindowType();
}

void DesktopLevelWindow::orderFront()
{
    if (!isVisible())
        show();
    raise();
}

void DesktopLevelWindow::orderOut() { hide(); }

bool DesktopLevelWindow::isOcclusionVisible() const { return isVisible() && isExposed(); }

void DesktopLevelWindow::setCoveredByFullScreen(bool covered)
{
    if (std::exchange(m_coveredByFullScreen, covered) != covered)
        emit occlusionStateChanged();
}

void DesktopLevelWindow::updateOcclusionState()
{
    const bool visible = isOcclusionVisible();
    if (visible == m_occlusionVisible)
        return;
    m_occlusionVisible = visible;
    emit occlusionStateChanged();
}

bool DesktopLevelWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::PlatformSurface:
        if (m_x11
            && static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated)
            m_x11->applyWindowType();
        break;
    case QEvent::Show:
        // Sent before the native window is mapped.
        if (m_x11)
            m_x11->applyBeforeMap();
        break;
    default:
        break;
    }
    const bool handled = QQuickWindow::event(event);
    if (event->type() == QEvent::Hide)
        updateOcclusionState();
    return handled;
}

void DesktopLevelWindow::exposeEvent(QExposeEvent* event)
{
    QQuickWindow::exposeEvent(event);
    updateOcclusionState();
}
