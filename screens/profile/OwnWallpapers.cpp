#include "OwnWallpapers.h"

#include "AppEnvironment.h"
#include "WallpaperManager.h"

#include <array>
#include <utility>

namespace {

constexpr std::array allFilters { OwnWallpapers::Filter::all, OwnWallpapers::Filter::publicOnly,
    OwnWallpapers::Filter::localOnly };

} // namespace

QString OwnWallpapers::rawValue(Filter filter)
{
    switch (filter) {
    case Filter::all: return QStringLiteral("All");
    case Filter::publicOnly: return QStringLiteral("Public");
    case Filter::localOnly: return QStringLiteral("Local");
    }
    return {};
}

std::optional<OwnWallpapers::Filter> OwnWallpapers::filterFromRawValue(const QString& text)
{
    for (Filter filter : allFilters) {
        if (rawValue(filter) == text)
            return filter;
    }
    return std::nullopt;
}

QStringList OwnWallpapers::filterNames()
{
    QStringList names;
    for (Filter filter : allFilters)
        names.append(rawValue(filter));
    return names;
}

QList<Wallpaper> OwnWallpapers::filtered(const QList<Wallpaper>& own, Filter filter)
{
    QList<Wallpaper> kept;
    for (const Wallpaper& wallpaper : own) {
        const bool keep = filter == Filter::all
            || (filter == Filter::publicOnly && wallpaper.submissionStatus() == QStringLiteral("approved"))
            || (filter == Filter::localOnly && !wallpaper.submissionStatus());
        if (keep)
            kept.append(wallpaper);
    }
    return kept;
}

OwnWallpapers::OwnWallpapers(QObject* parent) : OwnWallpapers(AppEnvironment::installedObjects().wallpaperManager, parent) {}

OwnWallpapers::OwnWallpapers(WallpaperManager* manager, QObject* parent) : QObject(parent), m_manager(manager)
{
    if (!m_manager)
        return;
    const WallpaperList& library = m_manager->allWallpaperList();
    connect(&library, &WallpaperList::idsChanged, this, &OwnWallpapers::scheduleRebuild);
    connect(&library, &WallpaperList::rowsChanged, this, &OwnWallpapers::scheduleRebuild);
    rebuild();
}

void OwnWallpapers::setFilterName(const QString& name)
{
    const std::optional<Filter> filter = filterFromRawValue(name);
    if (!filter || *filter == m_filter)
        return;
    m_filter = *filter;
    emit filterChanged();
    rebuild();
}

void OwnWallpapers::scheduleRebuild()
{
    if (std::exchange(m_rebuildQueued, true))
        return;
    QMetaObject::invokeMethod(this, &OwnWallpapers::rebuild, Qt::QueuedConnection);
}

void OwnWallpapers::rebuild()
{
    m_rebuildQueued = false;
    if (!m_manager)
        return;
    const bool had = hasAny();
    m_own.clear();
    for (const Wallpaper& wallpaper : m_manager->allWallpaperList().items()) {
        if (m_manager->hasLocalMetadata(wallpaper))
            m_own.append(wallpaper);
    }
    m_list.assign(filtered(m_own, m_filter));
    if (had != hasAny())
        emit hasAnyChanged();
}
