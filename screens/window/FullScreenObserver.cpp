#include "FullScreenObserver.h"

#include "AppState.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>

FullScreenObserver::FullScreenObserver(QObject* parent) : QObject(parent) {}

void FullScreenObserver::setAppState(AppState* state)
{
    if (m_appState == state)
        return;
    m_appState = state;
    emit appStateChanged();
}

void FullScreenObserver::start()
{
    for (QWindow* window : QGuiApplication::topLevelWindows())
        watch(window);
    // A window made later is watched once it takes the focus, as one does before it goes full screen.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &FullScreenObserver::watch, Qt::UniqueConnection);
}

void FullScreenObserver::watch(QWindow* window)
{
    if (window)
        connect(window, &QWindow::windowStateChanged, this, &FullScreenObserver::windowStateChanged,
            Qt::UniqueConnection);
}

void FullScreenObserver::windowStateChanged()
{
    if (!m_appState)
        return;
    const QWindowList windows = QGuiApplication::topLevelWindows();
    m_appState->setIsFullScreen(std::any_of(windows.cbegin(), windows.cend(),
        [](const QWindow* window) { return window->windowStates().testFlag(Qt::WindowFullScreen); }));
}
