#pragma once

#include "Wallpaper.h"
#include "WallpaperManager.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>


// What the library knows of one wallpaper right now, for a card or page to bind
// to: favourite, downloaded, downloading with its progress, shown on the
// desktop. Follows the library's change signals; tells observers only when one
// of the values changed. Main thread.
class WallpaperCardState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(WallpaperManager* manager READ manager WRITE setManager NOTIFY managerChanged)
    Q_PROPERTY(Wallpaper wallpaper READ wallpaper WRITE setWallpaper NOTIFY wallpaperChanged)
    Q_PROPERTY(bool isFavorite READ isFavorite NOTIFY stateChanged)
    Q_PROPERTY(bool isDownloaded READ isDownloaded NOTIFY stateChanged)
    Q_PROPERTY(bool isDownloading READ isDownloading NOTIFY stateChanged)
    Q_PROPERTY(double downloadProgress READ downloadProgress NOTIFY stateChanged)
    Q_PROPERTY(bool isActive READ isActive NOTIFY stateChanged)
    Q_PROPERTY(QString applySymbol READ applySymbol NOTIFY stateChanged)

public:
    explicit WallpaperCardState(QObject* parent = nullptr);

    WallpaperManager* manager() const { return m_manager; }
    void setManager(WallpaperManager* manager);
    Wallpaper wallpaper() const { return m_wallpaper; }
    void setWallpaper(const Wallpaper& wallpaper);

    bool isFavorite() const { return m_values.favorite; }
    bool isDownloaded() const { return m_values.downloaded; }
    bool isDownloading() const { return m_values.downloading; }
    // 0 to 1 while downloading, 0 otherwise.
    double downloadProgress() const { return m_values.progress; }
    bool isActive() const { return m_values.active; }
    // "checkmark" when active, else "display" when downloaded, else "arrow.down.circle".
    QString applySymbol() const;
    // The video a preview plays now: the local content, else the remote clip or
    // content; empty when there is none.
    Q_INVOKABLE QUrl previewVideoURL() const;

signals:
    void managerChanged();
    void wallpaperChanged();
    void stateChanged();

private:
    struct Values
    {
        bool favorite = false;
        bool downloaded = false;
        bool downloading = false;
        double progress = 0;
        bool active = false;
        bool operator==(const Values&) const = default;
    };

    void refresh();

    QPointer<WallpaperManager> m_manager;
    Wallpaper m_wallpaper;
    Values m_values;
};
