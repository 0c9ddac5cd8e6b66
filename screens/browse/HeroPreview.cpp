#include "HeroPreview.h"

#include "WindowRenderPath.h"

HeroPreview::HeroPreview(QObject* parent) : QObject(parent) {}

HeroPreview::~HeroPreview()
{
    if (m_player)
        m_player->stop();
}

void HeroPreview::setManager(WallpaperManager* manager)
{
    if (m_manager == manager)
        return;
    m_manager = manager;
    update();
    emit managerChanged();
}

void HeroPreview::setWallpaper(const Wallpaper& wallpaper)
{
    // Records are equal by id; a refreshed record of the same wallpaper keeps playing.
    if (m_wallpaper == wallpaper)
        return;
    m_wallpaper = wallpaper;
    update();
    emit wallpaperChanged();
}

void HeroPreview::setPlayer(VideoPreviewManager* player)
{
    if (m_player == player)
        return;
    if (m_player)
        m_player->stop();
    m_player = player;
    if (player) {
        const WindowRenderPath::Choice& path = WindowRenderPath::current();
        player->setDecodesEveryFrame(path.heroPreviewDecodesEveryFrame);
        player->setPlayTime(path.heroPreviewPlayTime);
    }
    update();
    emit playerChanged();
}

void HeroPreview::setVisibleFraction(double fraction)
{
    if (m_visibleFraction == fraction)
        return;
    const bool wasVisible = isVisible();
    m_visibleFraction = fraction;
    emit visibleFractionChanged();
    if (wasVisible != isVisible()) {
        update();
        emit isVisibleChanged();
    }
}

void HeroPreview::setHovered(bool hovered)
{
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    if (hovered && m_player)
        m_player->playOn();
    emit hoveredChanged();
}

QUrl HeroPreview::previewURL() const
{
    if (!m_wallpaper.isVideo() || !m_manager)
        return {};
    return m_manager->files().contentPreviewURL(m_wallpaper).value_or(QUrl());
}

void HeroPreview::update()
{
    if (!m_player || !m_manager)
        return;
    const QUrl url = isVisible() ? previewURL() : QUrl();
    if (url.isEmpty())
        m_player->stop();
    else
        m_player->load(url);
}
