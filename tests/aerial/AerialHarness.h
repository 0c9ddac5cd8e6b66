#pragma once

#include "AerialAssetServer.h"
#include "AerialManager.h"
#include "FakeDisplays.h"
#include "FakeDistributedNotifications.h"
#include "FakeSystemCommands.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

// A server that only builds URLs, on a port no real server uses.
class FakeAssetServer final : public AerialAssetServer
{
public:
    void start() override { ++starts; }
    QString videoURL(const QString& assetID) const override { return url("videos", assetID, "mov"); }
    QString thumbnailURL(const QString& assetID) const override { return url("thumbnails", assetID, "png"); }

    int starts = 0;

private:
    static QString url(const char* folder, const QString& assetID, const char* extension)
    {
        return QStringLiteral("http://127.0.0.1:1/%1/%2.%3").arg(folder, assetID, extension);
    }
};

// An aerial manager on a temporary home, with made-up displays, recorded
// commands and virtual time. The application-support folders are computed once
// per process, so the home lives as long as the process; each harness gets its
// own wallpaper-machinery folder and settings, and empty downloads.
class AerialHarness
{
public:
    explicit AerialHarness(int displayCount = 1)
    {
        QDir(LantoSettings::downloadsDirectory()).removeRecursively();
        for (int i = 0; i < displayCount; ++i)
            displays.addDisplay(QStringLiteral("Display %1").arg(i + 1), QRect(i * 1920, 0, 1920, 1080));
        manager = makeManager();
    }

    std::unique_ptr<AerialManager> makeManager()
    {
        return std::make_unique<AerialManager>(AerialManager::Environment {
            settings, displays, workspace, notifications, commands, server, background, paths });
    }

    QString mainDisplay() const { return FakeDisplays::uuidForNumber(1); }

    // A downloaded wallpaper's folder with its video and, unless told otherwise, its poster.
    QString addWallpaper(const QString& hex, bool withPoster = true)
    {
        const QDir folder(QDir(LantoSettings::downloadsDirectory()).filePath(hex));
        folder.mkpath(QStringLiteral("."));
        write(folder.filePath(QStringLiteral("content.mov")), "video of " + hex.toUtf8());
        if (withPoster)
            write(folder.filePath(QStringLiteral("Poster.png")), "poster of " + hex.toUtf8());
        return folder.filePath(QStringLiteral("content.mov"));
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QJsonObject manifest() const { return QJsonDocument::fromJson(read(paths.manifest)).object(); }

    QStringList killed() const
    {
        QStringList names;
        for (const auto& call : commands.killallCalls())
            names.append(call.processName);
        return names;
    }

    static TemporaryHome& home()
    {
        static TemporaryHome home;
        return home;
    }

    const QString homePath = home().path();
    QTemporaryDir root;
    const SystemWallpaper::Paths paths = SystemWallpaper::Paths::forHome(root.path());
    VirtualScheduler settingsScheduler;
    LantoSettings settings { root.filePath(QStringLiteral("settings")), settingsScheduler };
    FakeDisplays displays;
    Workspace workspace;
    FakeDistributedNotifications notifications;
    FakeSystemCommands commands;
    FakeAssetServer server;
    VirtualScheduler background;
    LogCapture log;
    std::unique_ptr<AerialManager> manager;
};
