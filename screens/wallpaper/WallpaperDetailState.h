#pragma once

#include "AppState.h"
#include "Wallpaper.h"
#include "WallpaperManager.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

// The detail page's view of its wallpaper: the library's current record of
// it (so renames and submission changes show at once; the record the page was
// opened with when the library has none), what the user may do with it, and
// the page's actions. Main thread.
class WallpaperDetailState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(WallpaperManager* manager READ manager WRITE setManager NOTIFY managerChanged)
    Q_PROPERTY(AppState* appState MEMBER m_appState NOTIFY appStateChanged)
    Q_PROPERTY(Wallpaper initialWallpaper READ initialWallpaper WRITE setInitialWallpaper NOTIFY initialWallpaperChanged)
    Q_PROPERTY(Wallpaper wallpaper READ wallpaper NOTIFY wallpaperChanged)
    Q_PROPERTY(bool isOwnLocal READ isOwnLocal NOTIFY wallpaperChanged)
    // Own items never submitted, or rejected, may be renamed.
    Q_PROPERTY(bool canRename READ canRename NOTIFY wallpaperChanged)
    // Own videos never submitted, while no submission runs.
    Q_PROPERTY(bool canMakePublic READ canMakePublic NOTIFY submissionChanged)
    Q_PROPERTY(bool showsSubmissionProgress READ showsSubmissionProgress NOTIFY submissionChanged)
    Q_PROPERTY(double submissionProgress READ submissionProgress NOTIFY submissionChanged)
    Q_PROPERTY(bool isFourK READ isFourK NOTIFY wallpaperChanged)

public:
    explicit WallpaperDetailState(QObject* parent = nullptr);

    WallpaperManager* manager() const { return m_manager; }
    void setManager(WallpaperManager* manager);
    Wallpaper initialWallpaper() const { return m_initial; }
    void setInitialWallpaper(const Wallpaper& wallpaper);
    Wallpaper wallpaper() const { return m_current; }

    bool isOwnLocal() const;
    bool canRename() const;
    bool canMakePublic() const;
    bool showsSubmissionProgress() const;
    double submissionProgress() const;
    bool isFourK() const { return m_current.resolution().width() >= 3840; }

    // Stores the name without surrounding blanks; a blank name changes nothing.
    Q_INVOKABLE void commitRename(const QString& text);
    // Submits the own item for review; the outcome shows only through the record.
    Q_INVOKABLE void makePublic();
    // Asks the user to confirm the removal; on confirmation the download goes,
    // and an own item's page closes with it.
    Q_INVOKABLE void requestDeletion();

signals:
    void managerChanged();
    void appStateChanged();
    void initialWallpaperChanged();
    void wallpaperChanged();
    void submissionChanged();

private:
    void refresh();

    QPointer<WallpaperManager> m_manager;
    QPointer<AppState> m_appState;
    Wallpaper m_initial;
    Wallpaper m_current;
};
