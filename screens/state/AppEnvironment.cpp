#include "AppEnvironment.h"

#include "AppState.h"
#include "AuthService.h"
#include "LocalImporter.h"
#include "WallpaperManager.h"

#include <QQmlEngine>

namespace {

AppEnvironment::Objects& installed()
{
    static AppEnvironment::Objects objects;
    return objects;
}

// The engine must never delete what the program owns.
void keepOwnedByProgram(QObject* object)
{
    if (object)
        QQmlEngine::setObjectOwnership(object, QQmlEngine::CppOwnership);
}

} // namespace

void AppEnvironment::install(const Objects& objects)
{
    installed() = objects;
}

const AppEnvironment::Objects& AppEnvironment::installedObjects()
{
    return installed();
}

AppEnvironment* AppEnvironment::create(QQmlEngine* engine, QJSEngine*)
{
    const Objects& objects = installed();
    keepOwnedByProgram(objects.appState);
    keepOwnedByProgram(objects.wallpaperManager);
    keepOwnedByProgram(objects.auth);
    keepOwnedByProgram(objects.importer);
    // One per engine; the engine deletes it.
    Q_UNUSED(engine);
    return new AppEnvironment(objects);
}
