#include "ScreenTestSetup.h"

#include "AppEnvironment.h"

using namespace std::chrono_literals;

ScreenTestSetup::ScreenTestSetup() = default;
ScreenTestSetup::~ScreenTestSetup() = default;

void ScreenTestSetup::qmlEngineAvailable(QQmlEngine* engine)
{
    m_rig = std::make_unique<LibraryRig>();
    m_rig->startOnAllDisplays();
    m_appState = std::make_unique<AppState>(m_rig->scheduler);
    m_webService = std::make_unique<FakeWebService>();
    m_client = std::make_unique<LantoAPIClient>(m_webService->baseURL());
    m_auth = std::make_unique<AuthService>(*m_client, m_rig->settings, m_browser);
    m_importer = std::make_unique<LocalImporter>(
        m_rig->downloads(), m_rig->account, LocalImporter::into(*m_rig->manager));
    AppEnvironment::install({m_appState.get(), m_rig->manager.get(), m_auth.get(), m_importer.get()});
    qmlRegisterSingletonInstance("Lanto.Test", 1, 0, "TestRig", this);
    Q_UNUSED(engine);
}

void ScreenTestSetup::cleanupTestCase()
{
    AppEnvironment::install({});
}

void ScreenTestSetup::addCatalogueWallpapers(int count)
{
    QList<Wallpaper> list;
    for (int n = 1; n <= count; ++n)
        list.append(catalogueItem(n));
    // The merge finishes on the main thread, so wait while serving its events.
    const QFuture<void> merged = m_rig->manager->mergeIntoLibrary(list);
    if (!QTest::qWaitFor([&merged] { return merged.isFinished(); }, 10000))
        qWarning("The library did not finish merging the test wallpapers");
}

Wallpaper ScreenTestSetup::catalogueWallpaper(int n) const
{
    return catalogueItem(n);
}

QStringList ScreenTestSetup::serviceCalls() const
{
    return m_rig->service.calls;
}

void ScreenTestSetup::advance(int milliseconds)
{
    m_rig->scheduler.advance(std::chrono::milliseconds(milliseconds));
}
