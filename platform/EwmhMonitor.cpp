#include "EwmhMonitor.h"

#include "XcbSupport.h"

#include <QSocketNotifier>

#include <algorithm>
#include <vector>

namespace {

enum Atom { ActiveWindow, CurrentDesktop, WmState, WmStateFullScreen, AtomCount };

constexpr std::array<const char*, AtomCount> atomNames
    = { "_NET_ACTIVE_WINDOW", "_NET_CURRENT_DESKTOP", "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN" };

// Enough for any window's state list; a longer one is cut, not refused.
constexpr uint32_t maximumStateAtoms = 64;

} // namespace

class EwmhMonitor::Connection
{
public:
    explicit Connection(const QString& displayName)
    {
        const QByteArray name = displayName.toLocal8Bit();
        int screenNumber = 0;
        connection = xcb_connect(name.isEmpty() ? nullptr : name.constData(), &screenNumber);
        if (xcb_connection_has_error(connection))
            return;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
            xcb_screen_next(&screens);
        if (screens.rem == 0)
            return;
        root = screens.data->root;
        atoms = internAtoms(connection, atomNames);
    }
    ~Connection()
    {
        notifier.reset();
        xcb_disconnect(connection);
    }

    bool isUsable() const { return root != XCB_WINDOW_NONE && !xcb_connection_has_error(connection); }

    void selectEvents(xcb_window_t window, uint32_t mask)
    {
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }

    // The property's 32-bit values; empty when the window or property is gone.
    std::vector<uint32_t> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint32_t count)
    {
        const auto cookie = xcb_get_property(connection, false, window, property, type, 0, count);
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr));
        if (!reply || reply->format != 32 || reply->type != type)
            return {};
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
    }

    // The window's frame in root coordinates; null when the window is gone.
    QRect frameInRoot(xcb_window_t window)
    {
        const auto geometryCookie = xcb_get_geometry(connection, window);
        const auto positionCookie = xcb_translate_coordinates(connection, window, root, 0, 0);
        XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection, geometryCookie, nullptr));
        XcbReply<xcb_translate_coordinates_reply_t> position(
            xcb_translate_coordinates_reply(connection, positionCookie, nullptr));
        if (!geometry || !position)
            return {};
        return QRect(position->dst_x, position->dst_y, geometry->width, geometry->height);
    }

    xcb_connection_t* connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    std::array<xcb_atom_t, AtomCount> atoms {};
    std::unique_ptr<QSocketNotifier> notifier;
};

EwmhMonitor::EwmhMonitor(const QString& displayName, QObject* parent)
    : QObject(parent), m_x(std::make_unique<Connection>(displayName))
{
    if (!m_x->isUsable())
        return;
    m_x->selectEvents(m_x->root, XCB_EVENT_MASK_PROPERTY_CHANGE);
    m_x->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_x->connection), QSocketNotifier::Read);
    connect(m_x->notifier.get(), &QSocketNotifier::activated, this, &EwmhMonitor::readEvents);
    updateCurrentDesktop(false);
    followActiveWindow();
    updateFullScreenWindow();
}

EwmhMonitor::~EwmhMonitor() = default;

bool EwmhMonitor::isConnected() const { return m_x->isUsable(); }

void EwmhMonitor::readEvents()
{
    // Replies read while handling an event may queue further events; take them all.
    while (XcbReply<xcb_generic_event_t> event { xcb_poll_for_event(m_x->connection) })
        handleEvent(event->response_type & ~0x80, event.get());
    if (xcb_connection_has_error(m_x->connection)) {
        // The X server went away: nothing more will come.
        m_x->notifier->setEnabled(false);
        m_activeWindow = 0;
        updateFullScreenWindow();
    }
}

void EwmhMonitor::handleEvent(int type, const void* event)
{
    switch (type) {
    case XCB_PROPERTY_NOTIFY: {
        const auto* notice = static_cast<const xcb_property_notify_event_t*>(event);
        if (notice->window == m_x->root && notice->atom == m_x->atoms[CurrentDesktop]) {
            updateCurrentDesktop(true);
        } else if (notice->window == m_x->root && notice->atom == m_x->atoms[ActiveWindow]) {
            followActiveWindow();
            updateFullScreenWindow();
        } else if (notice->window == m_activeWindow && notice->atom == m_x->atoms[WmState]) {
            updateFullScreenWindow();
        }
        break;
    }
    case XCB_CONFIGURE_NOTIFY:
        if (static_cast<const xcb_configure_notify_event_t*>(event)->window == m_activeWindow)
            updateFullScreenWindow();
        break;
    case XCB_DESTROY_NOTIFY:
        if (static_cast<const xcb_destroy_notify_event_t*>(event)->window == m_activeWindow) {
            m_activeWindow = 0;
            updateFullScreenWindow();
        }
        break;
    default:
        // Errors about windows gone meanwhile, and events of no interest.
        break;
    }
}

void EwmhMonitor::updateCurrentDesktop(bool announce)
{
    const std::vector<uint32_t> values = m_x->cardinals(m_x->root, m_x->atoms[CurrentDesktop], XCB_ATOM_CARDINAL, 1);
    const std::optional<quint32> desktop = values.empty() ? std::nullopt : std::optional<quint32>(values.front());
    if (std::exchange(m_currentDesktop, desktop) != desktop && announce)
        emit currentDesktopChanged();
}

void EwmhMonitor::followActiveWindow()
{
    const std::vector<uint32_t> values = m_x->cardinals(m_x->root, m_x->atoms[ActiveWindow], XCB_ATOM_WINDOW, 1);
    const quint32 active = values.empty() ? 0 : values.front();
    if (active == m_activeWindow)
        return;
    if (m_activeWindow != 0)
        m_x->selectEvents(m_activeWindow, XCB_EVENT_MASK_NO_EVENT);
    m_activeWindow = active;
    // Its state list and its moves; the window manager reports a reparented window's moves in root coordinates.
    if (m_activeWindow != 0)
        m_x->selectEvents(m_activeWindow, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
}

void EwmhMonitor::updateFullScreenWindow()
{
    QRect frame;
    if (m_activeWindow != 0 && m_x->isUsable()) {
        const std::vector<uint32_t> states
            = m_x->cardinals(m_activeWindow, m_x->atoms[WmState], XCB_ATOM_ATOM, maximumStateAtoms);
        if (std::find(states.begin(), states.end(), m_x->atoms[WmStateFullScreen]) != states.end())
            frame = m_x->frameInRoot(m_activeWindow);
    }
    if (std::exchange(m_fullScreenFrame, frame) != frame)
        emit fullScreenWindowChanged(frame);
}
