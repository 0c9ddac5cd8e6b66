#pragma once

#include "CatalogueCache.h"
#include "CloudService.h"
#include "FakeDisplays.h"
#include "FakeWebService.h"
#include "HexID.h"
#include "LantoAPIClient.h"
#include "LantoSettings.h"
#include "LibraryFakes.h"
#include "LocalWallpaperMeta.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"
#include "WallpaperManager.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

// One library over a temporary home, with the service, displays and account faked.
class LibraryRig
{
public:
    LibraryRig() { QDir().mkpath(downloads()); }

    QString appSupport() const { return home.appSupportPath(); }
    QString downloads() const { return home.appSupportPath() + "/Downloads"; }
    QString cachePath() const { return appSupport() + "/wallpaper-cache.json"; }

    void addFolder(const QString& id, const QString& file)
    {
        QDir().mkpath(downloads() + "/" + id);
        QFile f(downloads() + "/" + id + "/" + file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
    }

    // An own item: its folder holds metadata.json and, unless told otherwise, content.
    void addLocalItem(const QString& id, std::optional<QString> status = std::nullopt, bool withContent = true,
        std::optional<QString> serverWallpaperId = std::nullopt)
    {
        LocalWallpaperMeta meta;
        meta.hexID = id;
        meta.title = "Mine " + id;
        meta.category = "Nature";
        meta.type = "video";
        meta.resolutionWidth = 1920;
        meta.resolutionHeight = 1080;
        meta.submissionStatus = status;
        meta.serverWallpaperId = serverWallpaperId;
        QDir().mkpath(downloads() + "/" + id);
        if (withContent)
            addFolder(id, "content.mov");
        QFile f(downloads() + "/" + id + "/metadata.json");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(meta.toJson());
    }

    std::optional<LocalWallpaperMeta> metadata(const QString& id) const
    {
        QFile file(downloads() + "/" + id + "/metadata.json");
        return file.open(QIODevice::ReadOnly) ? LocalWallpaperMeta::fromJson(file.readAll()) : std::nullopt;
    }

    // The running library's first record of that hex id.
    std::optional<Wallpaper> record(const QString& hexID) const
    {
        for (const Wallpaper& wallpaper : manager->allWallpaperList().items()) {
            if (wallpaper.hexID() == hexID)
                return wallpaper;
        }
        return std::nullopt;
    }

    void writeCache(const QList<APIWallpaper>& records) { CatalogueCache(cachePath()).save(records).waitForFinished(); }

    QStringList cachedIds() const
    {
        QFile file(cachePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList ids;
        for (const APIWallpaper& record : CatalogueCache::decode(file.readAll()).value_or(QList<APIWallpaper> {}))
            ids.append(record.id);
        return ids;
    }

    // Two attached displays, numbered 1 and 2, known to the desktop and the library.
    void addTwoDisplays()
    {
        for (const QString& name : { QStringLiteral("Display 1"), QStringLiteral("Display 2") }) {
            const ConnectedDisplay display = displays.addDisplay(name, QRect());
            ScreenModel record(*display.number, name);
            screens.screens.append(record);
            desktop.records.insert(record.id(), record);
        }
    }

    // The library with no display chosen.
    WallpaperManager& startOnAllDisplays()
    {
        start().setSelectedScreenKey(std::nullopt);
        return *manager;
    }

    WallpaperManager& start() { return start(screens, desktop); }
    // The library over another desktop than the rig's fake one.
    WallpaperManager& start(ScreenRecords& screenRecords, DesktopShows& shows)
    {
        manager
            = std::make_unique<WallpaperManager>(WallpaperManager::Services { settings, cloud, catalogue, thumbnails,
                screenRecords, displays, account, service, client, shows, lockScreen, scheduler, appSupport(), downloads(),
                [this] { ++reconciliations; }, [this](const QList<Wallpaper>& list) { cardPrefetches.append(list); } });
        tester = std::make_unique<QAbstractItemModelTester>(
            manager->allWallpapers(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        return *manager;
    }

    // Waits for the running refresh to finish.
    bool refreshed() const
    {
        return QTest::qWaitFor([this] { return manager->isStarted() && !manager->isLoadingManifest(); });
    }

    TemporaryHome home;
    VirtualScheduler scheduler;
    LantoSettings settings { home.appSupportPath(), scheduler };
    CloudService cloud { home.appSupportPath() };
    FakeCatalogueSource catalogue;
    FakeThumbnailSource thumbnails;
    FakeScreenRecords screens;
    FakeDisplays displays;
    FakeAccount account;
    FakeWallpaperService service;
    // The web service of submissions and their review states.
    FakeWebService web;
    LantoAPIClient client { web.baseURL(), LantoAPIClient::Options { .idleTimeout = std::chrono::seconds(5) } };
    FakeDesktopShows desktop;
    FakeLockScreen lockScreen;
    int reconciliations = 0;
    QList<QList<Wallpaper>> cardPrefetches;
    std::unique_ptr<WallpaperManager> manager;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

inline Wallpaper catalogueItem(int n) { return Wallpaper::fromAPIWallpaper(catalogueRecord(hexId(n))); }

// An item of this machine only, without a cloud id.
inline Wallpaper localItem(const QString& hex)
{
    Wallpaper wallpaper;
    wallpaper.edit().hexID = hex;
    wallpaper.id = uuidFromHexID(hex);
    wallpaper.edit().title = "Own " + hex;
    return wallpaper;
}

inline QStringList hexIDs(const QList<Wallpaper>& wallpapers)
{
    QStringList ids;
    for (const Wallpaper& wallpaper : wallpapers)
        ids.append(wallpaper.hexID());
    return ids;
}
