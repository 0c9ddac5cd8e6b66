#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

#include "AppState.h"

// Tells the app-wide state whether a window of the application is in full
// screen. It follows the state changes of the windows there are when it
// starts and of each window that takes the focus later; nothing else passes
// through it. Starting again watches no window twice.
class FullScreenObserver : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged)

public:
    explicit FullScreenObserver(QObject* parent = nullptr);

    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    Q_INVOKABLE void start();

signals:
    void appStateChanged();

private:
    void watch(QWindow* window);
    void windowStateChanged();

    QPointer<AppState> m_appState;
};
