#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include "AppState.h"
#include "AuthService.h"
#include "WallpaperManager.h"

// What the main window shows above its content, as pure functions of the
// app-wide state: the dimming, the removal card's texts, the toast after an
// apply or a failed download, and the floating display panel's visibility from the display list.
class MainWindowModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged)
    Q_PROPERTY(WallpaperManager* wallpaperManager READ wallpaperManager WRITE setWallpaperManager NOTIFY wallpaperManagerChanged)
    Q_PROPERTY(AuthService* auth READ auth WRITE setAuth NOTIFY authChanged)
    Q_PROPERTY(bool dimmed READ dimmed NOTIFY overlaysChanged)
    Q_PROPERTY(QString removeTitle READ removeTitle NOTIFY overlaysChanged)
    Q_PROPERTY(QString removeMessage READ removeMessage NOTIFY overlaysChanged)

public:
    explicit MainWindowModel(QObject* parent = nullptr);

    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);
    WallpaperManager* wallpaperManager() const { return m_manager; }
    void setWallpaperManager(WallpaperManager* manager);
    AuthService* auth() const { return m_auth; }
    void setAuth(AuthService* auth);

    // Any confirmation or the profile editor is open.
    bool dimmed() const;
    QString removeTitle() const { return removeTitle(removeCount()); }
    QString removeMessage() const { return removeMessage(removeCount()); }
    static QString removeTitle(qsizetype count);
    static QString removeMessage(qsizetype count);
    // The toast after a download for an apply gave up.
    static QString downloadFailedMessage(const QString& title);

    // A tap on the dimming: closes every card and the editor, confirms nothing.
    Q_INVOKABLE void dismissOverlays();
    // The sign-out card's destructive button.
    Q_INVOKABLE void signOut();

signals:
    void appStateChanged();
    void wallpaperManagerChanged();
    void authChanged();
    void overlaysChanged();

private:
    qsizetype removeCount() const;
    void showAppliedToast();
    void showDownloadFailedToast(const QString& title);
    void updatePanelVisibility();

    QPointer<AppState> m_appState;
    QPointer<WallpaperManager> m_manager;
    QPointer<AuthService> m_auth;
};
