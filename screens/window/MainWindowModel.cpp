#include "MainWindowModel.h"

#include "AppState.h"
#include "AuthService.h"
#include "FloatingMonitorWindowManager.h"
#include "Rebind.h"
#include "WallpaperManager.h"

MainWindowModel::MainWindowModel(QObject* parent) : QObject(parent) {}

void MainWindowModel::setAppState(AppState* state)
{
    const bool changedState = rebind(m_appState, state, this, [this](AppState* added) {
        for (auto signal : {&AppState::deleteConfirmationChanged, &AppState::showEditProfileChanged,
                            &AppState::showSignOutConfirmChanged})
            connect(added, signal, this, &MainWindowModel::overlaysChanged);
    });
    if (!changedState)
        return;
    emit appStateChanged();
    emit overlaysChanged();
}

void MainWindowModel::setWallpaperManager(WallpaperManager* manager)
{
    const bool changedManager = rebind(m_manager, manager, this, [this](WallpaperManager* added) {
        // Only changes count: the title already there when the window appears is old news.
        connect(added, &WallpaperManager::lastAppliedTitleChanged, this, &MainWindowModel::showAppliedToast);
        connect(added, &WallpaperManager::downloadFailed, this, &MainWindowModel::showDownloadFailedToast);
        connect(added, &WallpaperManager::connectedScreensChanged, this, &MainWindowModel::updatePanelVisibility);
    });
    if (!changedManager)
        return;
    updatePanelVisibility();
    emit wallpaperManagerChanged();
}

void MainWindowModel::setAuth(AuthService* auth)
{
    const bool changedAuth = rebind(m_auth, auth, this, [this](AuthService* added) {
        connect(added, &AuthService::isSignedInChanged, this, &MainWindowModel::updatePanelVisibility);
    });
    if (!changedAuth)
        return;
    updatePanelVisibility();
    emit authChanged();
}

bool MainWindowModel::dimmed() const
{
    return m_appState
        && (m_appState->hasDeleteConfirmation() || m_appState->showEditProfile() || m_appState->showSignOutConfirm());
}

qsizetype MainWindowModel::removeCount() const
{
    if (!m_appState || !m_appState->deleteConfirmation())
        return 0;
    return m_appState->deleteConfirmation()->wallpapers.size();
}

QString MainWindowModel::removeTitle(qsizetype count)
{
    if (count == 1)
        return tr("Remove Wallpaper?");
    return tr("Remove %1 Wallpapers?").arg(count);
}

QString MainWindowModel::removeMessage(qsizetype count)
{
    if (count == 1)
        return tr("This will delete the downloaded file.") + u'\n' + tr("You can re-download it anytime.");
    return tr("This will delete the downloaded files.") + u'\n' + tr("You can re-download them anytime.");
}

void MainWindowModel::dismissOverlays()
{
    if (!m_appState)
        return;
    if (m_appState->hasDeleteConfirmation())
        m_appState->cancelDeletion();
    if (m_appState->showEditProfile())
        m_appState->setShowEditProfile(false);
    if (m_appState->showSignOutConfirm())
        m_appState->setShowSignOutConfirm(false);
}

void MainWindowModel::signOut()
{
    if (m_auth)
        m_auth->signOut();
    if (m_appState)
        m_appState->setShowSignOutConfirm(false);
}

void MainWindowModel::showAppliedToast()
{
    const std::optional<QString>& title = m_manager->lastAppliedTitle();
    if (title && m_appState)
        m_appState->showToast(*title + tr(" applied"));
}

QString MainWindowModel::downloadFailedMessage(const QString& title)
{
    return tr("Couldn't download “%1”. Check your connection and try again.").arg(title);
}

void MainWindowModel::showDownloadFailedToast(const QString& title)
{
    if (m_appState)
        m_appState->showFailureToast(downloadFailedMessage(title));
}

void MainWindowModel::updatePanelVisibility()
{
    // Signed out, the welcome screen takes the window while this view fades: no strip over it.
    const bool signedOut = m_auth && !m_auth->isSignedIn();
    if (m_manager)
        FloatingMonitorWindowManager::shared().setVisible(!signedOut && m_manager->connectedScreens().size() >= 2);
}
