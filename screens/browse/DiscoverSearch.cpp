#include "DiscoverSearch.h"

#include "ModelSignals.h"
#include "SearchQuery.h"
#include "WallpaperManager.h"

DiscoverSearch::DiscoverSearch(QObject* parent) : QObject(parent) {}

void DiscoverSearch::setManager(WallpaperManager* manager)
{
    if (m_manager == manager)
        return;
    if (m_manager)
        m_manager->allWallpapers()->disconnect(this);
    m_manager = manager;
    if (manager) {
        // Any change of the library's rows (new items, edited titles) can change the matches.
        ModelSignals::onAnyChange(manager->allWallpapers(), this, &DiscoverSearch::update);
    }
    update();
    emit managerChanged();
}

void DiscoverSearch::setText(const QString& text)
{
    if (m_text == text)
        return;
    const bool wasSearching = isSearching();
    m_text = text;
    m_query = SearchQuery::trimmed(text);
    update();
    emit textChanged();
    if (wasSearching != isSearching())
        emit isSearchingChanged();
}

void DiscoverSearch::update()
{
    m_results.assign(m_manager && isSearching() ? m_manager->search(m_query) : QList<Wallpaper>());
}
