#pragma once

#include "Creator.h"
#include "ProfileWallpaperPager.h"
#include "Wallpaper.h"
#include "WallpaperList.h"
#include "WallpaperListModel.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <optional>

class AppState;
class AuthService;
class LantoAPIClient;
class WallpaperManager;

// The own profile's three lists (uploads, downloads, favourites), the tab
// shown, and the selection of downloads to remove. The lists are rebuilt when
// the library's sets or list change, not on every read; the service's list of
// the user's uploads is asked for once. Main thread.
class ProfileTabs : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString selectedTab READ selectedTabName NOTIFY selectedTabChanged)
    Q_PROPERTY(QStringList tabs READ tabNames CONSTANT)
    Q_PROPERTY(WallpaperListModel* currentList READ currentList CONSTANT)
    Q_PROPERTY(int currentCount READ currentCount NOTIFY listsChanged)
    // The Select button's condition: the Downloads tab with something in it.
    Q_PROPERTY(bool canSelect READ canSelect NOTIFY listsChanged)
    Q_PROPERTY(bool isSelectMode READ isSelectMode NOTIFY selectionChanged)
    Q_PROPERTY(QStringList selectedIds READ selectedIdTexts NOTIFY selectionChanged)

public:
    enum class Tab { uploads, downloads, favorites };

    struct Services
    {
        WallpaperManager* manager = nullptr;
        AuthService* auth = nullptr;
        AppState* appState = nullptr;
        LantoAPIClient* client = nullptr;
    };

    static QString rawValue(Tab tab);
    static QStringList tabNames();

    // Over the environment's objects.
    explicit ProfileTabs(QObject* parent = nullptr);
    ProfileTabs(const Services& services, QObject* parent);

    QString selectedTabName() const { return rawValue(m_tab); }
    WallpaperListModel* currentList() { return &m_currentModel; }
    const WallpaperList& currentWallpapers() const { return m_current; }
    int currentCount() const { return int(m_current.size()); }
    bool canSelect() const { return m_tab == Tab::downloads && !m_downloads.isEmpty(); }
    bool isSelectMode() const { return m_isSelectMode; }
    QStringList selectedIdTexts() const;

    // Shows the tab and leaves select mode.
    Q_INVOKABLE void selectTab(const QString& name);
    Q_INVOKABLE void toggleSelectMode();
    Q_INVOKABLE void exitSelectMode();
    Q_INVOKABLE void toggleSelection(const QString& id);
    // Asks the main window to confirm; the removal and leaving select mode follow the confirmation.
    Q_INVOKABLE void removeSelected();

    void rebuildLists();
    // The user's wallpapers as the service lists them, asked for once a profile id is known.
    void fetchServerUploads();

signals:
    void selectedTabChanged();
    void listsChanged();
    void selectionChanged();

private:
    Creator ownCreator() const;
    const QList<Wallpaper>& listOf(Tab tab) const;
    void showCurrent();

    Services m_services;
    std::optional<ProfileWallpaperPager> m_pager;
    const QUuid m_fallbackCreatorId = QUuid::createUuid();
    Tab m_tab = Tab::downloads;
    bool m_isSelectMode = false;
    QSet<QUuid> m_selectedIDs;
    QList<Wallpaper> m_uploads;
    QList<Wallpaper> m_downloads;
    QList<Wallpaper> m_favorites;
    QList<Wallpaper> m_serverUploads;
    bool m_didFetchServerUploads = false;
    WallpaperList m_current;
    WallpaperListModel m_currentModel { m_current };
};
