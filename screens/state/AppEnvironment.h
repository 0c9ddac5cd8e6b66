#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class AppState;
class AuthService;
class LantoAPIClient;
class LantoSettings;
class LocalImporter;
class QJSEngine;
class QQmlEngine;
class WallpaperManager;

// What every screen reads from its surroundings: the app-wide state, the
// library and the account. The program (or a test) installs the objects before
// it loads any QML; they outlive every engine that reads them.
class AppEnvironment : public QObject
{
    Q_OBJECT
    Q_MOC_INCLUDE("AppState.h")
    Q_MOC_INCLUDE("AuthService.h")
    Q_MOC_INCLUDE("LocalImporter.h")
    Q_MOC_INCLUDE("WallpaperManager.h")
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(AppState* appState READ appState CONSTANT)
    Q_PROPERTY(WallpaperManager* wallpaperManager READ wallpaperManager CONSTANT)
    Q_PROPERTY(AuthService* auth READ auth CONSTANT)
    Q_PROPERTY(LocalImporter* importer READ importer CONSTANT)

public:
    struct Objects
    {
        AppState* appState = nullptr;
        WallpaperManager* wallpaperManager = nullptr;
        AuthService* auth = nullptr;
        LocalImporter* importer = nullptr;
        // For view-models made in QML; not QML properties.
        LantoAPIClient* apiClient = nullptr;
        LantoSettings* settings = nullptr;
    };

    // Replaces what later engines see.
    static void install(const Objects& objects);
    // What install() was last given.
    static const Objects& installedObjects();
    static AppEnvironment* create(QQmlEngine* engine, QJSEngine*);

    AppState* appState() const { return m_objects.appState; }
    WallpaperManager* wallpaperManager() const { return m_objects.wallpaperManager; }
    AuthService* auth() const { return m_objects.auth; }
    LocalImporter* importer() const { return m_objects.importer; }

private:
    explicit AppEnvironment(const Objects& objects) : m_objects(objects) {}

    const Objects m_objects;
};
