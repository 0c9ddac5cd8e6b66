#include "WallpaperDetailState.h"

#include "ModelSignals.h"

WallpaperDetailState::WallpaperDetailState(QObject* parent) : QObject(parent) { }

void WallpaperDetailState::setManager(WallpaperManager* manager)
{
    if (m_manager == manager)
        return;
    if (m_manager) {
        m_manager->disconnect(this);
        m_manager->allWallpapers()->disconnect(this);
    }
    m_manager = manager;
    if (manager) {
        ModelSignals::onAnyChange(manager->allWallpapers(), this, &WallpaperDetailState::refresh);
        connect(manager, &WallpaperManager::downloadedChanged, this, &WallpaperDetailState::wallpaperChanged);
        connect(manager, &WallpaperManager::isSubmittingChanged, this, &WallpaperDetailState::submissionChanged);
        connect(manager, &WallpaperManager::submissionProgressChanged, this, &WallpaperDetailState::submissionChanged);
    }
    emit managerChanged();
    refresh();
}

void WallpaperDetailState::setInitialWallpaper(const Wallpaper& wallpaper)
{
    m_initial = wallpaper;
    emit initialWallpaperChanged();
    refresh();
}

// Every change of the record is published: a rename keeps the id.
void WallpaperDetailState::refresh()
{
    Wallpaper current = m_initial;
    if (m_manager) {
        const WallpaperList& all = m_manager->allWallpaperList();
        if (const std::optional<qsizetype> row = all.rowOf(m_initial.id))
            current = all.at(*row);
    }
    m_current = current;
    emit wallpaperChanged();
    emit submissionChanged();
}

bool WallpaperDetailState::isOwnLocal() const
{
    return m_manager && m_current.isValid() && m_manager->hasLocalMetadata(m_current);
}

bool WallpaperDetailState::canRename() const
{
    return isOwnLocal() && (!m_current.submissionStatus() || *m_current.submissionStatus() == u"rejected");
}

bool WallpaperDetailState::canMakePublic() const
{
    return isOwnLocal() && !m_current.submissionStatus() && m_current.wallpaperType() == WallpaperType::video
        && !m_manager->isSubmitting();
}

bool WallpaperDetailState::showsSubmissionProgress() const
{
    return m_manager && m_manager->isSubmitting() && m_current.submissionStatus() == u"uploading";
}

double WallpaperDetailState::submissionProgress() const { return m_manager ? m_manager->submissionProgress() : 0.0; }

void WallpaperDetailState::commitRename(const QString& text)
{
    const QString name = text.trimmed();
    if (name.isEmpty() || !m_manager)
        return;
    m_manager->renameWallpaper(m_current.id, name);
    if (m_appState && m_appState->selectedWallpaper()) {
        Wallpaper selected = *m_appState->selectedWallpaper();
        selected.edit().title = name;
        m_appState->setSelectedWallpaper(selected);
    }
}

void WallpaperDetailState::makePublic()
{
    if (m_manager)
        m_manager->submitWallpaper(m_current); // failures show only through the record
}

void WallpaperDetailState::requestDeletion()
{
    if (!m_appState)
        return;
    const Wallpaper wallpaper = m_current;
    m_appState->setDeleteConfirmation(AppState::DeleteConfirmation {
        { wallpaper },
        [appState = m_appState, manager = m_manager, wallpaper] {
            if (!appState || !manager)
                return;
            const bool ownLocal = manager->hasLocalMetadata(wallpaper);
            manager->deleteWallpaper(wallpaper);
            if (ownLocal)
                appState->setSelectedWallpaper(std::nullopt);
        } });
}
