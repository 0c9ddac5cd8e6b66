#pragma once

#include <QNetworkInformation>
#include <QObject>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;

// The observable connectivity flag the screens read to show their offline state.
// It follows the system's reachability backend; the flag itself changes only on the
// thread the monitor lives on (the main thread), whatever thread reports a change.
class NetworkMonitor : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool isConnected READ isConnected NOTIFY isConnectedChanged)

public:
    // A monitor that only learns of reachability through updateReachability().
    explicit NetworkMonitor(QObject* parent = nullptr);

    // The process-wide monitor, following the system backend. First use must be on
    // the main thread.
    static NetworkMonitor& shared();
    static NetworkMonitor* create(QQmlEngine*, QJSEngine*);

    bool isConnected() const { return m_isConnected; }

    // Loads a reachability backend and follows it. Returns false when none loads,
    // in which case the flag stays as it is (connected).
    bool followSystemReachability();

public slots:
    // Safe to call from any thread: the update is queued to this object's thread,
    // in the order the calls were made.
    void updateReachability(QNetworkInformation::Reachability reachability);

signals:
    void isConnectedChanged(bool isConnected);

private:
    void apply(QNetworkInformation::Reachability reachability);

    bool m_isConnected = true;
};
