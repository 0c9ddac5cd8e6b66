#pragma once

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include "AppState.h"

// Tells the app-wide state whether a window of the application is in full
// screen: every window's state change passes through the application, so one
// filter there sees them all. Starting again replaces the earlier watch.
class FullScreenObserver : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged)

public:
    explicit FullScreenObserver(QObject* parent = nullptr);
    ~FullScreenObserver() override;

    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    Q_INVOKABLE void start();

signals:
    void appStateChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<AppState> m_appState;
};
