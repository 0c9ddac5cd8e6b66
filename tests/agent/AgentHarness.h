#pragma once

#include "AerialAssetServer.h"
#include "AgentDelegate.h"
#include "AgentDesktop.h"
#include "FakeDistributedNotifications.h"
#include "FakeRunningApplications.h"
#include "FakeSystemCommands.h"
#include "LogCapture.h"
#include "PropertyList.h"
#include "SettingsKeys.h"
#include "SystemWallpaper.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"
#include "WallpaperStore.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// A server that only builds URLs, on a port no real server uses.
class FakeAssetServer final : public AerialAssetServer
{
public:
    void start() override { ++starts; }
    QString videoURL(const QString& assetID) const override
    {
        return QStringLiteral("http://127.0.0.1:1/v/") + assetID;
    }
    QString thumbnailURL(const QString& assetID) const override
    {
        return QStringLiteral("http://127.0.0.1:1/t/") + assetID;
    }

    int starts = 0;
};

class RecordingDesktop final : public AgentDesktop
{
public:
    void start() override { calls.append(QStringLiteral("start")); }
    void blackOutOtherDisplays() override { calls.append(QStringLiteral("blackOut")); }
    void restoreOtherDisplays() override { calls.append(QStringLiteral("restore")); }

    QStringList calls;
};

// An agent on a temporary home, with made-up applications, recorded commands,
// virtual time and recorded sleeps. The home holds, unless a test changes it,
// the settings of a placed aerial, its video (downloaded and the system's
// copy), a manifest without it and an empty wallpaper store.
class AgentHarness
{
public:
    static inline const QString aerial = QStringLiteral("AAAAAAAA-0000-4000-8000-000000000001");
    static inline const QString display = QStringLiteral("DDDDDDDD-0000-4000-8000-000000000001");
    static inline const QString hex = QStringLiteral("abc123");

    AgentHarness()
    {
        writeSettings();
        write(downloads(hex + QStringLiteral("/content.mov")), "video");
        write(paths.videoFile(aerial), "video");
        writeManifest(QJsonObject { { QStringLiteral("version"), 1 }, { QStringLiteral("assets"), QJsonArray() } });
        writeStore({});
    }

    void start()
    {
        delegate = std::make_unique<AgentDelegate>(environment);
        delegate->start();
    }

    // Settings as Lanto leaves them with an aerial placed; extra keys replace or add.
    void writeSettings(const PlistValue::Dictionary& changes = {}, const QStringList& removed = {})
    {
        PlistValue::Dictionary settings {
            { SettingsKey::lockScreenEnabled, true },
            { SettingsKey::activeAerialID, aerial },
            { SettingsKey::activeDisplayUUID, display },
            { SettingsKey::aerialAssetToHex, PlistValue::Dictionary { { aerial, hex } } },
        };
        settings.insert(changes);
        for (const QString& key : removed)
            settings.remove(key);
        QDir().mkpath(home.appSupportPath());
        PropertyList::writeFile(settingsPath(), settings);
    }
    QString settingsPath() const { return home.appSupportPath() + QStringLiteral("/Settings.plist"); }
    QString downloads(const QString& relative) const
    {
        return home.appSupportPath() + QStringLiteral("/Downloads/") + relative;
    }

    void writeManifest(const QJsonObject& manifest) { write(paths.manifest, QJsonDocument(manifest).toJson()); }
    QJsonObject manifest() const { return QJsonDocument::fromJson(read(paths.manifest)).object(); }

    void writeStore(const PlistValue::Dictionary& root)
    {
        QString error;
        WallpaperStoreFile::write(paths.indexPlist, root, &error);
    }
    bool storeHasAerial() const { return indexPlistHasAerial(paths.indexPlist, aerial, display, {}); }

    int count(const QString& line) const { return int(log.lines().count(line)); }
    int stamps() const
    {
        return count(QStringLiteral("Stamped Index.plist — aerial %1 on display %2").arg(aerial, display));
    }
    QStringList killed() const
    {
        QStringList names;
        for (const auto& call : commands.killallCalls())
            names.append(call.processName);
        return names;
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

    TemporaryHome home;
    const SystemWallpaper::Paths paths = SystemWallpaper::Paths::forHome(home.path());
    LogCapture log;
    FakeDistributedNotifications notifications;
    Workspace workspace;
    FakeRunningApplications applications;
    FakeSystemCommands commands;
    FakeAssetServer server;
    RecordingDesktop desktop;
    VirtualScheduler scheduler;
    // Every blocking sleep, in order; onSleep runs after each, as if time had passed.
    QList<std::chrono::milliseconds> sleeps;
    std::function<void()> onSleep;
    const AgentEnvironment environment { notifications, workspace, applications, commands, server, desktop, scheduler,
        [this](std::chrono::milliseconds delay) {
            sleeps.append(delay);
            if (onSleep)
                onSleep();
        },
        home.path() };
    std::unique_ptr<AgentDelegate> delegate;
};
