#pragma once

#include "Wallpaper.h"
#include "WallpaperList.h"
#include "WallpaperListModel.h"

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

class WallpaperManager;

// The user's own wallpapers (those whose folder holds metadata.json) in
// library order, narrowed by the My Wallpapers filter chips. Main thread.
class OwnWallpapers : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString filter READ filterName WRITE setFilterName NOTIFY filterChanged)
    Q_PROPERTY(QStringList filters READ filterNames CONSTANT)
    Q_PROPERTY(bool hasAny READ hasAny NOTIFY hasAnyChanged)
    Q_PROPERTY(WallpaperListModel* wallpapers READ wallpapers CONSTANT)

public:
    enum class Filter { all, publicOnly, localOnly };

    static QString rawValue(Filter filter);
    // Exactly "All", "Public" or "Local".
    static std::optional<Filter> filterFromRawValue(const QString& text);
    // "approved" alone is public; no status at all is local; "All" keeps everything.
    static QList<Wallpaper> filtered(const QList<Wallpaper>& own, Filter filter);

    // Over the environment's library.
    explicit OwnWallpapers(QObject* parent = nullptr);
    OwnWallpapers(WallpaperManager* manager, QObject* parent);

    QString filterName() const { return rawValue(m_filter); }
    // Unknown names are ignored.
    void setFilterName(const QString& name);
    static QStringList filterNames();
    bool hasAny() const { return !m_own.isEmpty(); }
    WallpaperListModel* wallpapers() { return &m_model; }
    const WallpaperList& list() const { return m_list; }

signals:
    void filterChanged();
    void hasAnyChanged();

private:
    // A change of the library is taken on the next turn of the event loop, once:
    // an import writes its metadata.json just after its record joins the list.
    void scheduleRebuild();
    void rebuild();

    WallpaperManager* m_manager;
    Filter m_filter = Filter::all;
    bool m_rebuildQueued = false;
    QList<Wallpaper> m_own;
    WallpaperList m_list;
    WallpaperListModel m_model { m_list };
};
