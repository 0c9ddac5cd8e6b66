#include "LantoApp.h"

#include "AccessibleQuickButton.h"
#include "AerialHTTPServer.h"
#include "AerialLockScreen.h"
#include "AerialManager.h"
#include "AgentTakeover.h"
#include "AppEnvironment.h"
#include "AppLanguage.h"
#include "AppState.h"
#include "AuthAccount.h"
#include "AuthService.h"
#include "ClientCatalogue.h"
#include "ClientWallpaperService.h"
#include "CloudService.h"
#include "ControllerDesktop.h"
#include "DesktopVideoPlayer.h"
#include "DesktopWindowController.h"
#include "LantoAPIClient.h"
#include "LantoAppDelegate.h"
#include "LantoLinks.h"
#include "LantoSettings.h"
#include "LocalImporter.h"
#include "LockScreenManager.h"
#include "Log.h"
#include "LoginItem.h"
#include "LoopbackAssetServer.h"
#include "OrphanRecovery.h"
#include "SerialQueue.h"
#include "SettingsBackends.h"
#include "SparkleUpdateManager.h"
#include "ThumbnailCache.h"
#include "UrlSchemeHandler.h"
#include "UserDefaults.h"
#include "WallpaperFiles.h"
#include "WallpaperManager.h"

#include <QCoreApplication>
#include <QEvent>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickWindow>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString besideLanto(const QString& program) { return QDir(QCoreApplication::applicationDirPath()).filePath(program); }

} // namespace

// Everything made once the agent has answered, in the order made; it goes in reverse.
struct LantoApp::Library
{
    Library(LantoApp& app)
        : delegate({ app.m_applications, app.m_commands, app.m_notifications, MainThreadScheduler::shared(),
                       besideLanto(u"LantoAgent"_s), [this] { controller.snapshotForHandoff(); },
                       [] { LantoSettings::shared().flush(); },
                       [](const QUrl& url) { AuthService::shared().handleCallback(url); },
                       &LantoAppDelegate::mainWindowCandidates,
                       [this, &app](std::function<void()> work) {
                           AgentTakeover::takeBack(
                               controller, MainThreadScheduler::shared(), app.m_handback.asked(), std::move(work));
                       },
                       [this, &app](const std::function<void()>& post) {
                           AgentTakeover::handOver(app.m_notifications, app.m_applications, videoPlays(),
                               LantoAppDelegate::mainWindowCandidates(), post);
                       } },
            app.m_arguments),
          appState(MainThreadScheduler::shared()),
          controller({ app.m_displays, app.m_workspace, app.m_notifications, app.m_desktopPictures, app.m_applications,
              app.m_commands, LantoSettings::shared(), MainThreadScheduler::shared(),
              LantoSettings::downloadsDirectory(), app.m_players }),
          server(AerialHTTPServer::shared()),
          aerialQueue(u"com.lanto.aerial"_s),
          aerials({ LantoSettings::shared(), app.m_displays, app.m_workspace, app.m_notifications, app.m_commands,
              server, aerialQueue }),
          files(CloudService::shared(), LantoSettings::downloadsDirectory()),
          lockScreens(aerials, LantoSettings::shared(), aerialQueue,
              [this](const Wallpaper& wallpaper) { return files.localContentURL(wallpaper); }),
          catalogue(LantoAPIClient::shared(), CloudService::shared()),
          service(LantoAPIClient::shared(), CloudService::shared(), [] { return AuthService::shared().isSignedIn(); }),
          account(AuthService::shared()),
          desktop(controller),
          lockScreen(lockScreens),
          manager({ LantoSettings::shared(), CloudService::shared(), catalogue, catalogue, desktop, app.m_displays,
              account, service, LantoAPIClient::shared(), desktop, lockScreen, MainThreadScheduler::shared(),
              LantoSettings::appSupportDirectory(), LantoSettings::downloadsDirectory(),
              [this] { orphans.reconcileOrphanedDownloads(); },
              cardThumbnailPrefetch(CloudService::shared(), LantoSettings::downloadsDirectory()) }),
          orphans(manager, catalogue, LantoSettings::downloadsDirectory()),
          language(UserDefaults::standard()),
          updates(app.m_network, UserDefaults::standard(), MainThreadScheduler::shared(),
              SparkleUpdateManager::feedURL(), SparkleUpdateManager::bundleVersions()),
          importer(LantoSettings::downloadsDirectory(), account, LocalImporter::into(manager)),
          loginItem(BundleIdentifiers::lantoAgent, u"LantoAgent"_s, besideLanto(u"LantoAgent"_s))
    {
        controller.setRestampActiveAerial([this] { aerials.restampActiveAerialInBackground(); });
        if (app.m_handback.asked())
            AgentTakeover::holdOffScreen(controller);
    }

    bool videoPlays() const
    {
        const auto& players = controller.videoPlayers();
        return std::any_of(players.cbegin(), players.cend(), [](const auto& entry) { return entry.second->isPlaying(); });
    }

    LantoAppDelegate delegate;
    AppState appState;
    DesktopWindowController controller;
    LoopbackAssetServer server;
    SerialQueue aerialQueue;
    AerialManager aerials;
    WallpaperFiles files;
    // Before the library, which places wallpapers on the lock screen through it.
    LockScreenManager lockScreens;
    ClientCatalogue catalogue;
    ClientWallpaperService service;
    AuthAccount account;
    ControllerDesktop desktop;
    AerialLockScreen lockScreen;
    WallpaperManager manager;
    OrphanRecovery orphans;
    AppLanguage language;
    SparkleUpdateManager updates;
    LocalImporter importer;
    AutostartLoginItem loginItem;
};

LantoApp::LantoApp(UrlSchemeHandler& scheme, const QStringList& arguments, QObject* parent)
    : QObject(parent),
      m_scheme(scheme),
      m_arguments(arguments),
      m_workspace(m_displays, m_applications, m_notifications, SystemWorkspaceSources {}),
      m_handback(m_applications, m_notifications, LantoSettings::shared(), MainThreadScheduler::shared())
{
    connect(&m_handback, &AgentHandback::finished, this, &LantoApp::build);
}

LantoApp::~LantoApp()
{
    // The screens go before the objects they show.
    m_engine.reset();
    SettingsBackends::install({});
    m_library.reset();
}

void LantoApp::start()
{
    registerUrlScheme();
    m_handback.start();
}

bool LantoApp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::Quit && m_library)
        m_library->delegate.applicationWillTerminate();
    return QObject::eventFilter(watched, event);
}

void LantoApp::build()
{
    // Before the desktop windows: see registerQuickTypes().
    m_engine = std::make_unique<QQmlApplicationEngine>();
    registerQuickTypes(*m_engine);
    m_library = std::make_unique<Library>(*this);
    Library& library = *m_library;
    registerLoginItem();

    LantoAppDelegate& delegate = library.delegate;
    delegate.setShowMainWindow([this] { showMainWindow(); });
    connect(&m_scheme, &UrlSchemeHandler::urlsReceived, &delegate, [&delegate](const QStringList& urls) {
        for (const QString& url : urls)
            delegate.handleGetURLEvent(url);
    });
    connect(&m_scheme, &UrlSchemeHandler::reopenRequested, &delegate,
        [&delegate] { delegate.applicationShouldHandleReopen(); });
    connect(qApp, &QCoreApplication::aboutToQuit, &delegate, [&delegate] { delegate.applicationWillTerminate(); });
    // A quit closes every window before the application ends: the desktop is handed over while it still shows.
    qApp->installEventFilter(this);

    AppEnvironment::install({ &library.appState, &library.manager, &AuthService::shared(), &library.importer,
        &LantoAPIClient::shared(), &LantoSettings::shared() });
    SparkleUpdateManager::install(&library.updates);
    AppLanguage::install(&library.language);
    SettingsBackends::install({ &library.loginItem, &UserDefaults::standard(), &library.updates });
    if (!loadMainWindow(*m_engine)) {
        Log::write(u"Lanto: The main window could not be loaded"_s);
        QCoreApplication::exit(1);
        return;
    }

    delegate.openURLs(LantoLinks::fromArguments(m_arguments));
    delegate.applicationDidFinishLaunching();
    // What later launches handed over while the window was being built.
    m_scheme.startDelivering();
}

// Qt Quick looks up its `Accessible` attached type once per process and keeps
// the answer. Started signed in, with wallpapers to put back, Lanto made that
// lookup before any QML had imported QtQuick, and no control of the screens
// told a screen reader its name. Importing QtQuick before anything else is
// built registers the type first.
void LantoApp::registerQuickTypes(QQmlEngine& engine)
{
    QQmlComponent(&engine).setData("import QtQuick\nQtObject {}", QUrl());
}

bool LantoApp::loadMainWindow(QQmlApplicationEngine& engine)
{
    // The modules' qmldir files are compiled in under the resource root, which Qt 6.4 does not search by itself.
    engine.addImportPath(u"qrc:/"_s);
    AccessibleQuickButton::install();
    engine.load(QUrl(u"qrc:/Lanto/Screens/Launch/Main.qml"_s));
    return !engine.rootObjects().isEmpty();
}

void LantoApp::registerLoginItem()
{
    AutostartLoginItem& item = m_library->loginItem;
    if (item.status() == LoginItem::Status::enabled)
        return;
    if (const std::optional<QString> failure = item.registerItem())
        Log::write(u"Lanto: Failed to register LantoAgent login item — "_s + *failure);
    else
        Log::write(u"Lanto: Registered LantoAgent login item"_s);
}

void LantoApp::registerUrlScheme()
{
    if (const std::optional<QString> failure
        = UrlSchemeHandler::registerHandler(QCoreApplication::applicationFilePath(), m_commands))
        Log::write(u"Lanto: Failed to register the lanto URL scheme — "_s + *failure);
}

QQuickWindow* LantoApp::mainWindow() const
{
    return m_engine && !m_engine->rootObjects().isEmpty() ? qobject_cast<QQuickWindow*>(m_engine->rootObjects().first())
                                                          : nullptr;
}

void LantoApp::showMainWindow()
{
    if (QQuickWindow* window = mainWindow()) {
        window->show();
        window->raise();
        window->requestActivate();
    }
}
