#include "WindowActivity.h"

#include "ReduceMotion.h"

#include <QCoreApplication>
#include <QQuickItem>
#include <QQuickWindow>

namespace {

// One watcher of the desktop's setting for the whole process; lives with the application object.
ReduceMotion& reduceMotion()
{
    static QPointer<ReduceMotion> watcher;
    if (!watcher)
        watcher = new ReduceMotion(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return *watcher;
}

} // namespace

WindowActivity::WindowActivity(QObject* attachee) : QObject(attachee), m_item(qobject_cast<QQuickItem*>(attachee))
{
    connect(&reduceMotion(), &ReduceMotion::changed, this, &WindowActivity::update);
    if (m_item) {
        connect(m_item, &QQuickItem::windowChanged, this, &WindowActivity::followWindow);
        followWindow(m_item->window());
    } else {
        update();
    }
}

WindowActivity* WindowActivity::qmlAttachedProperties(QObject* attachee) { return new WindowActivity(attachee); }

bool WindowActivity::isShown(const QQuickWindow* window)
{
    return window && window->isVisible() && window->isExposed() && window->visibility() != QWindow::Minimized;
}

void WindowActivity::followWindow(QQuickWindow* window)
{
    for (const QMetaObject::Connection& connection : std::as_const(m_windowConnections))
        disconnect(connection);
    m_windowConnections.clear();
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (window) {
        m_windowConnections = {
            connect(window, &QWindow::visibilityChanged, this, &WindowActivity::update),
            connect(window, &QWindow::visibleChanged, this, &WindowActivity::update),
        };
        // Exposure has no signal: the window hears of it as an event.
        window->installEventFilter(this);
    }
    update();
}

bool WindowActivity::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Expose)
        update();
    return QObject::eventFilter(watched, event);
}

void WindowActivity::update()
{
    const bool shown = isShown(m_window);
    const bool moving = shown && !reduceMotion().isOn();
    if (shown != m_shown) {
        m_shown = shown;
        emit shownChanged();
    }
    if (moving != m_moving) {
        m_moving = moving;
        emit movingChanged();
    }
}
