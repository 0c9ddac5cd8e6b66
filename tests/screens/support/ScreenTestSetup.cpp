#include "ScreenTestSetup.h"

#include "AppEnvironment.h"

#include <QJsonArray>
#include <QJsonObject>
#include "SessionTokenStore.h"
#include "VideoPreviewManager.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

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
    AppEnvironment::install(
        {m_appState.get(), m_rig->manager.get(), m_auth.get(), m_importer.get(), m_client.get(), &m_rig->settings});
    m_previewPlayers = std::make_unique<FakePlayerBackendFactory>(m_rig->scheduler);
    VideoPreviewManager::installPlayerFactory(m_previewPlayers.get());
    qmlRegisterSingletonInstance("Lanto.Test", 1, 0, "TestRig", this);
    // Where the modules keep their QML files; Qt 6.4 does not look there by itself.
    engine->addImportPath(u"qrc:/"_qs);
}

void ScreenTestSetup::cleanupTestCase()
{
    AppEnvironment::install({});
    VideoPreviewManager::installPlayerFactory(nullptr);
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

Wallpaper ScreenTestSetup::stillWallpaper(int n) const
{
    Wallpaper wallpaper = catalogueItem(n);
    wallpaper.edit().wallpaperType = WallpaperType::image;
    return wallpaper;
}

void ScreenTestSetup::refreshCatalogue(const QVariantMap& rows, const QVariantList& tags)
{
    const auto records = [&rows](const char* row) {
        QList<APIWallpaper> list;
        for (const QVariant& n : rows.value(QLatin1String(row)).toList())
            list.append(catalogueRecord(hexId(n.toInt())));
        return list;
    };
    DiscoverResponse discover{records("featured"), records("todaysPicks"), records("trending"),
                              records("newThisWeek"), std::nullopt};
    QList<APITag> catalogue;
    for (const QVariant& entry : tags) {
        const QVariantMap fields = entry.toMap();
        APITag tag;
        tag.id = fields.value("id").toString();
        tag.name = fields.value("name", tag.id).toString();
        tag.groupName = fields.value("groupName").toString();
        if (fields.contains("parentId"))
            tag.parentId = fields.value("parentId").toString();
        catalogue.append(tag);
    }
    FakeCatalogueSource& source = m_rig->catalogue;
    source.discover.autoAnswer = Result<DiscoverResponse>(discover);
    source.tags.autoAnswer = Result<TagGroups>(TagGroups{{QStringLiteral("all"), catalogue}});
    // The start-up refresh is still held the first time; later ones are asked for.
    if (source.discover.pendingCount() > 0) {
        if (source.tags.pendingCount() > 0)
            source.tags.answer(*source.tags.autoAnswer);
        source.discover.answer(*source.discover.autoAnswer);
    } else {
        m_rig->manager->refreshCatalogue();
    }
    if (!m_rig->refreshed())
        qWarning("The library did not finish the test refresh");
}

void ScreenTestSetup::failCatalogue(const QString& description)
{
    m_rig->catalogue.discover.autoAnswer = Result<DiscoverResponse>(APIError::serverError(description));
}

void ScreenTestSetup::addTaggedWallpaper(int n, const QStringList& tags)
{
    Wallpaper wallpaper = catalogueItem(n);
    wallpaper.edit().tags = tags;
    m_rig->manager->mergeIntoLibrary({wallpaper}).waitForFinished();
}

QStringList ScreenTestSetup::serviceCalls() const
{
    return m_rig->service.calls;
}

void ScreenTestSetup::advance(int milliseconds)
{
    m_rig->scheduler.advance(std::chrono::milliseconds(milliseconds));
}

void ScreenTestSetup::addOwnWallpaper(const QString& hexID, const QString& status)
{
    Wallpaper wallpaper = localItem(hexID);
    wallpaper.edit().cloudID = hexID; // as the importer names its items
    wallpaper.edit().wallpaperType = WallpaperType::video;
    wallpaper.edit().resolution = QSizeF(1920, 1080);
    if (!status.isEmpty())
        wallpaper.edit().submissionStatus = status;
    m_rig->addFolder(hexID, "content.mov");
    m_rig->manager->addImportedWallpaper(wallpaper, m_rig->downloads() + "/" + hexID + "/content.mov", std::nullopt);
}

void ScreenTestSetup::setSubmissionStatus(const QString& hexID, const QString& status)
{
    m_rig->manager->setSubmissionStatus(hexID, status.isEmpty() ? std::nullopt : std::optional(status));
}

Creator ScreenTestSetup::servedCreator(const QString& profileId, const QList<int>& pageSizes)
{
    m_webService->on("GET", "profiles/" + profileId + "/wallpapers", [pageSizes](const FakeRequest& request) {
        const qsizetype page = request.queryValue("page").toInt();
        QJsonArray wallpapers;
        if (page >= 1 && page <= pageSizes.size()) {
            for (int n = 0; n < pageSizes.at(page - 1); ++n)
                wallpapers.append(catalogueRecord(hexId(int(page) * 100 + n)).toJson());
        }
        return FakeReply::ok(QJsonObject { { "wallpapers", wallpapers }, { "page", page } });
    });
    Creator creator;
    creator.id = uuidFromHexID(profileId);
    creator.name = "Mika";
    creator.serverProfileId = profileId;
    return creator;
}

void ScreenTestSetup::signIn(const QString& profileId, const QString& name)
{
    const QJsonObject profile { { "name", name }, { "isVerified", false }, { "wallpaperCount", 0 },
        { "followerCount", 0 } };
    m_webService->on("POST", "auth/exchange",
        FakeReply::ok(QJsonObject { { "sessionToken", "token" }, { "profileId", profileId },
            { "appleUserID", "apple-" + profileId }, { "profile", profile } }));
    m_webService->on("GET", "me", FakeReply::failure("not now", 500));
    m_auth->signIn();
    m_auth->handleCallback(QUrl("lanto://auth?code=test"));
    if (!QTest::qWaitFor([this] { return m_auth->isSignedIn(); }, 10000))
        qWarning("The test account did not sign in");
}

QVariant ScreenTestSetup::settingsValue(const QString& key) const
{
    const std::optional<PlistValue> value = m_rig->settings.value(key);
    if (value && value->isBool())
        return *value->toBool();
    if (value && value->isString())
        return *value->toString();
    return {};
}

void ScreenTestSetup::serve(const QString& method, const QString& path, const QVariantMap& data)
{
    m_webService->on(method.toUtf8(), path, FakeReply::ok(QJsonObject::fromVariantMap(data)));
}

void ScreenTestSetup::storeSessionToken(const QString& token)
{
    if (!SessionTokenStore::save(token))
        qWarning("The session token could not be stored");
}

void ScreenTestSetup::connectDisplays(int count, int wallpaperOnLast)
{
    QList<ScreenModel>& screens = m_rig->screens.screens;
    screens.clear();
    for (int n = 1; n <= count; ++n)
        screens.append(ScreenModel(quint32(n), QStringLiteral("Display %1").arg(n)));
    if (count > 0 && wallpaperOnLast > 0)
        screens.last().wallpaperID = catalogueItem(wallpaperOnLast).id;
    if (m_rig->displays.displays().isEmpty())
        m_rig->displays.addDisplay(QStringLiteral("Display 1"), QRect()); // number 1: the main display
    m_rig->manager->refreshConnectedScreens();
}

int ScreenTestSetup::pendingDownloads() const { return m_rig->service.downloads.pendingCount(); }

void ScreenTestSetup::reportDownloadProgress(double fraction) { m_rig->service.lastProgress(fraction); }

void ScreenTestSetup::finishDownload(const Wallpaper& wallpaper)
{
    addDownloadedFile(wallpaper, QStringLiteral("content.mov"));
    m_rig->cloud.recordDownload(wallpaper.cloudID().value_or(wallpaper.hexID()),
        QUrl::fromLocalFile(m_rig->downloads() + "/" + wallpaper.hexID() + "/content.mov"), std::nullopt);
    m_rig->service.downloads.answer(Fetched<QUrl>::success(QUrl()));
}

void ScreenTestSetup::addDownloadedFile(const Wallpaper& wallpaper, const QString& file)
{
    m_rig->addFolder(wallpaper.hexID(), file);
}

QString ScreenTestSetup::writePicture(const Wallpaper& wallpaper, const QColor& colour, bool asPoster)
{
    const QString path = asPoster ? m_rig->downloads() + "/" + wallpaper.hexID() + "/Poster.png"
                                  : m_rig->home.path() + "/" + wallpaper.hexID() + ".jpg";
    QImage image(800, 450, QImage::Format_RGB32);
    image.fill(colour);
    QDir().mkpath(QFileInfo(path).path());
    if (!image.save(path))
        qWarning("Could not write the test thumbnail %s", qPrintable(path));
    return path;
}

void ScreenTestSetup::holdThumbnailFetches(bool hold) { m_rig->thumbnails.answerAtOnce = !hold; }

QStringList ScreenTestSetup::requestedThumbnails() const { return m_rig->thumbnails.requested; }

void ScreenTestSetup::answerThumbnail(const QString& file)
{
    m_rig->thumbnails.finishOldest(file.isEmpty() ? std::nullopt : std::optional(QUrl::fromLocalFile(file)));
}

int ScreenTestSetup::livePreviewPlayers() const { return m_previewPlayers->alive(); }

QUrl ScreenTestSetup::lastPreviewURL() const
{
    const FakePlayerBackend* player = m_previewPlayers->last();
    return player ? player->url() : QUrl();
}

bool ScreenTestSetup::lastPreviewPlays() const
{
    const FakePlayerBackend* player = m_previewPlayers->last();
    return player && player->rate() > 0 && player->loopsWholeFile();
}

Wallpaper ScreenTestSetup::importOwnVideo(const QString& hexID, const QString& status)
{
    Wallpaper wallpaper = localItem(hexID);
    wallpaper.edit().cloudID = hexID;
    wallpaper.edit().wallpaperType = WallpaperType::video;
    wallpaper.edit().resolution = QSizeF(1920, 1080);
    if (!status.isEmpty())
        wallpaper.edit().submissionStatus = status;
    addDownloadedFile(wallpaper, QStringLiteral("content.mov"));
    m_rig->manager->addImportedWallpaper(
        wallpaper, m_rig->downloads() + "/" + hexID + "/content.mov", std::nullopt);
    return wallpaper;
}
