#pragma once

#include "AppState.h"
#include "AuthService.h"
#include "FakeWebService.h"
#include "LantoAPIClient.h"
#include "LibraryRig.h"
#include "LocalImporter.h"
#include "WebAuthSession.h"

#include <QObject>
#include <QQmlEngine>

#include <memory>

// The surroundings of a screen under test: a library over a temporary home
// with faked services, a fresh app-wide state and an account service talking
// to a fake web service. QML tests reach it as the singleton TestRig of
// "import Lanto.Test" to fill the library and read what the screen did.
class ScreenTestSetup : public QObject
{
    Q_OBJECT

public:
    ScreenTestSetup();
    ~ScreenTestSetup() override;

    // Catalogue items 1 to count, merged into the library.
    Q_INVOKABLE void addCatalogueWallpapers(int count);
    // Catalogue item n as a record, as a card would hold it.
    Q_INVOKABLE Wallpaper catalogueWallpaper(int n) const;
    // The calls the library made of the web and download services, in order.
    Q_INVOKABLE QStringList serviceCalls() const;
    // The fake web service answers every such request with {"ok":true,"data":data}.
    Q_INVOKABLE void serve(const QString& method, const QString& path, const QVariantMap& data);
    // The session token authorised requests carry, as a sign-in leaves it.
    Q_INVOKABLE void storeSessionToken(const QString& token);
    // A Bool or text value of the settings store; undefined when absent or of another kind.
    Q_INVOKABLE QVariant settingsValue(const QString& key) const;
    // An own video of this machine, imported into the library; status empty for none.
    Q_INVOKABLE void addOwnWallpaper(const QString& hexID, const QString& status);
    // Runs delayed work of the library and the state up to that many milliseconds ahead.
    Q_INVOKABLE void advance(int milliseconds);
    // Exactly count displays connected, "Display 1" (the main one) onwards; the
    // wallpaper n, when given, recorded on the last of them.
    Q_INVOKABLE void connectDisplays(int count, int wallpaperOnLast = 0);

    LibraryRig& rig() { return *m_rig; }
    AppState& appState() { return *m_appState; }
    FakeWebService& webService() { return *m_webService; }
    AuthService& auth() { return *m_auth; }

public slots:
    void qmlEngineAvailable(QQmlEngine* engine);
    void cleanupTestCase();

private:
    class Browser final : public WebAuthSession
    {
    public:
        bool open(const QUrl&) override { return true; }
    };

    std::unique_ptr<LibraryRig> m_rig;
    std::unique_ptr<AppState> m_appState;
    std::unique_ptr<FakeWebService> m_webService;
    std::unique_ptr<LantoAPIClient> m_client;
    Browser m_browser;
    std::unique_ptr<AuthService> m_auth;
    std::unique_ptr<LocalImporter> m_importer;
};
