#pragma once

#include "VideoPreviewManager.h"
#include "Wallpaper.h"
#include "WallpaperManager.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// When the hero banner plays its live preview: a video wallpaper plays, from
// its downloaded content or else the service's full content file, while at
// least a tenth of the banner is on screen, and stops when it scrolls away or
// the banner goes. Another wallpaper starts afresh. How it plays follows the
// window's render path (WindowRenderPath): where that is costly the preview
// decodes fewer frames and comes to rest after a while, until the pointer
// comes over the banner or another wallpaper starts.
class HeroPreview : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(WallpaperManager* manager READ manager WRITE setManager NOTIFY managerChanged)
    Q_PROPERTY(Wallpaper wallpaper READ wallpaper WRITE setWallpaper NOTIFY wallpaperChanged)
    Q_PROPERTY(VideoPreviewManager* player READ player WRITE setPlayer NOTIFY playerChanged)
    // The share of the banner inside the scroll view, 0 to 1.
    Q_PROPERTY(double visibleFraction READ visibleFraction WRITE setVisibleFraction NOTIFY visibleFractionChanged)
    Q_PROPERTY(bool isVisible READ isVisible NOTIFY isVisibleChanged)
    // The pointer is over the banner: a resting preview plays on.
    Q_PROPERTY(bool hovered READ isHovered WRITE setHovered NOTIFY hoveredChanged)

public:
    static constexpr double visibilityThreshold = 0.1;

    explicit HeroPreview(QObject* parent = nullptr);
    ~HeroPreview() override;

    WallpaperManager* manager() const { return m_manager; }
    void setManager(WallpaperManager* manager);
    Wallpaper wallpaper() const { return m_wallpaper; }
    void setWallpaper(const Wallpaper& wallpaper);
    VideoPreviewManager* player() const { return m_player; }
    void setPlayer(VideoPreviewManager* player);
    double visibleFraction() const { return m_visibleFraction; }
    void setVisibleFraction(double fraction);
    bool isVisible() const { return m_visibleFraction >= visibilityThreshold; }
    bool isHovered() const { return m_hovered; }
    void setHovered(bool hovered);

    // The downloaded content, else the service's content address; empty for
    // a still picture or when there is neither.
    QUrl previewURL() const;

signals:
    void managerChanged();
    void wallpaperChanged();
    void playerChanged();
    void visibleFractionChanged();
    void isVisibleChanged();
    void hoveredChanged();

private:
    void update();

    QPointer<WallpaperManager> m_manager;
    Wallpaper m_wallpaper;
    QPointer<VideoPreviewManager> m_player;
    double m_visibleFraction = 1.0;
    bool m_hovered = false;
};
