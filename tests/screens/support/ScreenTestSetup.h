#pragma once

#include "AppState.h"
#include "AuthService.h"
#include "FakePlayerBackend.h"
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
    // Catalogue item n as a still picture.
    Q_INVOKABLE Wallpaper stillWallpaper(int n) const;
    // A finished catalogue refresh: the Discover rows ("featured", "todaysPicks",
    // "trending", "newThisWeek") as lists of item numbers, and the tag catalogue
    // as objects of id, name, groupName and, for a character, parentId.
    Q_INVOKABLE void refreshCatalogue(const QVariantMap& rows, const QVariantList& tags);
    // Every later discover request fails with that description, until refreshCatalogue().
    Q_INVOKABLE void failCatalogue(const QString& description);
    // Catalogue item n carrying the tag ids, merged into the library.
    Q_INVOKABLE void addTaggedWallpaper(int n, const QStringList& tags);
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
    // Changes a record's review state as a submission or a status sync does; "" for none.
    Q_INVOKABLE void setSubmissionStatus(const QString& hexID, const QString& status);
    // A creator with that service profile, whose pages of wallpapers hold these many each.
    Q_INVOKABLE Creator servedCreator(const QString& profileId, const QList<int>& pageSizes);
    // Signs the account in through the web flow against the fake service.
    Q_INVOKABLE void signIn(const QString& profileId, const QString& name);
    // Runs delayed work of the library and the state up to that many milliseconds ahead.
    Q_INVOKABLE void advance(int milliseconds);
    // Exactly count displays connected, "Display 1" (the main one) onwards; the
    // wallpaper n, when given, recorded on the last of them.
    Q_INVOKABLE void connectDisplays(int count, int wallpaperOnLast = 0);

    // Downloads: the running one's progress, and its end with the content on disk.
    Q_INVOKABLE int pendingDownloads() const;
    Q_INVOKABLE void reportDownloadProgress(double fraction);
    Q_INVOKABLE void finishDownload(const Wallpaper& wallpaper);
    // A file of the wallpaper's folder under the downloads folder, as the library finds it.
    Q_INVOKABLE void addDownloadedFile(const Wallpaper& wallpaper, const QString& file);

    // Pictures of one colour: the wallpaper's "Poster.png" in its downloads folder,
    // or a file elsewhere for a thumbnail fetch to answer with. Gives the path.
    Q_INVOKABLE QString writePicture(const Wallpaper& wallpaper, const QColor& colour, bool asPoster);
    // Fetches held until answered: the ids asked for, and the oldest answered with a file or none.
    Q_INVOKABLE void holdThumbnailFetches(bool hold);
    Q_INVOKABLE QStringList requestedThumbnails() const;
    Q_INVOKABLE void answerThumbnail(const QString& file);

    // The user's own video, imported now, with a review status when given.
    Q_INVOKABLE Wallpaper importOwnVideo(const QString& hexID, const QString& status);

    // The preview players, faked in the scheduler's time.
    Q_INVOKABLE int livePreviewPlayers() const;
    Q_INVOKABLE QUrl lastPreviewURL() const;
    Q_INVOKABLE bool lastPreviewPlays() const;

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
    std::unique_ptr<FakePlayerBackendFactory> m_previewPlayers;
};
