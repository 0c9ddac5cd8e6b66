#include "NetworkMonitor.h"

#include <QJSEngine>

NetworkMonitor::NetworkMonitor(QObject* parent)
    : QObject(parent)
{
}

NetworkMonitor& NetworkMonitor::shared()
{
    static NetworkMonitor* const instance = [] {
        // Lives for the whole process, like the backend it follows.
        auto* monitor = new NetworkMonitor;
        monitor->followSystemReachability();
        return monitor;
    }();
    return *instance;
}

NetworkMonitor* NetworkMonitor::create(QQmlEngine*, QJSEngine*)
{
    NetworkMonitor* monitor = &shared();
    QJSEngine::setObjectOwnership(monitor, QJSEngine::CppOwnership);
    return monitor;
}

bool NetworkMonitor::followSystemReachability()
{
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return false;
    QNetworkInformation* information = QNetworkInformation::instance();
    if (!information)
        return false;
    // Direct: updateReachability() does its own hop, whichever thread the backend emits on.
    connect(information, &QNetworkInformation::reachabilityChanged, this,
            &NetworkMonitor::updateReachability, Qt::DirectConnection);
    // The backend reports only changes; its current state is the first update.
    updateReachability(information->reachability());
    return true;
}

void NetworkMonitor::updateReachability(QNetworkInformation::Reachability reachability)
{
    // Always queued, even on our own thread, so updates keep their order.
    QMetaObject::invokeMethod(
        this, [this, reachability] { apply(reachability); }, Qt::QueuedConnection);
}

void NetworkMonitor::apply(QNetworkInformation::Reachability reachability)
{
    // A backend that cannot tell yet says nothing about the path: keep what we know.
    if (reachability == QNetworkInformation::Reachability::Unknown)
        return;
    // A usable path is one with a route off this network segment. "Site" is such a
    // path whose internet check failed or was blocked; the service may still answer,
    // so only a link-local network or none at all reads offline.
    const bool connected = reachability == QNetworkInformation::Reachability::Site
        || reachability == QNetworkInformation::Reachability::Online;
    if (connected == m_isConnected)
        return;
    m_isConnected = connected;
    emit isConnectedChanged(m_isConnected);
}
