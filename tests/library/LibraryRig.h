#pragma once

#include "CatalogueCache.h"
#include "CloudService.h"
#include "FakeDisplays.h"
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
    void addLocalItem(const QString& id, std::optional<QString> status = std::nullopt, bool withContent = true)
    {
        LocalWallpaperMeta meta;
        meta.hexID = id;
        meta.title = "Mine " + id;
        meta.category = "Nature";
        meta.type = "video";
        meta.resolutionWidth = 1920;
        meta.resolutionHeight = 1080;
        meta.submissionStatus = status;
        QDir().mkpath(downloads() + "/" + id);
        if (withContent)
            addFolder(id, "content.mov");
        QFile f(downloads() + "/" + id + "/metadata.json");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(meta.toJson());
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

    WallpaperManager& start()
    {
        manager = std::make_unique<WallpaperManager>(WallpaperManager::Services { settings, cloud, catalogue,
            thumbnails, screens, displays, account, service, desktop, lockScreen, scheduler, appSupport(), downloads(),
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
    FakeDesktopShows desktop;
    FakeLockScreen lockScreen;
    int reconciliations = 0;
    QList<QList<Wallpaper>> cardPrefetches;
    std::unique_ptr<WallpaperManager> manager;
    std::unique_ptr<QAbstractItemModelTester> tester;
};
