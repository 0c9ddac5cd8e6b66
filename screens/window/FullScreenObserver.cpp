#include "FullScreenObserver.h"

#include "AppState.h"

#include <QGuiApplication>
#include <QWindow>
#include <QWindowStateChangeEvent>

FullScreenObserver::FullScreenObserver(QObject* parent) : QObject(parent) {}

FullScreenObserver::~FullScreenObserver()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void FullScreenObserver::setAppState(AppState* state)
{
    if (m_appState == state)
        return;
    m_appState = state;
    emit appStateChanged();
}

void FullScreenObserver::start()
{
    qApp->removeEventFilter(this);
    qApp->installEventFilter(this);
}

bool FullScreenObserver::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && m_appState) {
        if (auto* window = qobject_cast<QWindow*>(watched)) {
            const bool was = static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowFullScreen;
            const bool is = window->windowStates() & Qt::WindowFullScreen;
            if (was != is)
                m_appState->setIsFullScreen(is);
        }
    }
    return QObject::eventFilter(watched, event);
}
