#pragma once

#include "AgentHandback.h"
#include "DesktopPicture.h"
#include "Displays.h"
#include "DistributedNotifications.h"
#include "MpvPlayerBackend.h"
#include "RunningApplications.h"
#include "SystemCommands.h"
#include "SystemWorkspace.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QStringList>

#include <memory>

class QQmlApplicationEngine;
class QQmlEngine;
class QQuickWindow;
class UrlSchemeHandler;

// The application: every long-lived object of Lanto, made in the order the
// program needs them, and the main window's QML loaded once they exist.
// start() first asks a running agent for the desktop back; the rest is made
// when it has answered. Lives for the whole run, on the main thread.
class LantoApp : public QObject
{
    Q_OBJECT

public:
    LantoApp(UrlSchemeHandler& scheme, const QStringList& arguments, QObject* parent = nullptr);
    ~LantoApp() override;

    void start();

    // Loads Main.qml from the compiled-in modules; false when it cannot be made.
    static bool loadMainWindow(QQmlApplicationEngine& engine);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Library;

    static void registerQuickTypes(QQmlEngine& engine);
    void build();
    void registerLoginItem();
    void registerUrlScheme();
    QQuickWindow* mainWindow() const;
    void showMainWindow();

    UrlSchemeHandler& m_scheme;
    const QStringList m_arguments;

    // The system, as Lanto sees it.
    DBusDistributedNotifications m_notifications;
    ProcRunningApplications m_applications;
    ScreenDisplays m_displays;
    SystemWorkspace m_workspace;
    ProcessSystemCommands m_commands;
    FileDesktopPicture m_desktopPictures;
    MpvPlayerBackendFactory m_players;
    QNetworkAccessManager m_network;

    AgentHandback m_handback;
    std::unique_ptr<Library> m_library;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
};
