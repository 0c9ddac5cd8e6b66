// Lanto: the application. One runs per session; a later launch hands its
// URLs, or its wish to see the window, to that one and ends.
#include "LantoApp.h"
#include "Log.h"
#include "PortalFileChooser.h"
#include "TerminationSignals.h"
#include "UrlSchemeHandler.h"
#include "WindowRenderPath.h"

#include <QGuiApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    PortalFileChooser::preferWhenRunning();
    // Without hardware OpenGL the window draws with the software scene graph.
    WindowRenderPath::chooseBeforeApplication(argc, argv);
    QGuiApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Lanto"));
    // Closing the main window leaves Lanto running; reopening brings it back.
    app.setQuitOnLastWindowClosed(false);

    UrlSchemeHandler scheme;
    if (!scheme.claim()) {
        QStringList urls = app.arguments().mid(1);
        urls.removeIf([](const QString& argument) { return argument.startsWith(u'-'); });
        if (UrlSchemeHandler::handOff(QDBusConnection::sessionBus(), urls))
            return 0;
        Log::write(QStringLiteral("Lanto: No running Lanto answered — starting on its own"));
    }

    TerminationSignals termination;
    LantoApp lanto(scheme, app.arguments());
    QTimer::singleShot(0, &lanto, &LantoApp::start);
    return app.exec();
}
