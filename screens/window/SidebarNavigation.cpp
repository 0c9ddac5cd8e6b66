#include "SidebarNavigation.h"

#include "AppState.h"
#include "SidebarSection.h"

SidebarNavigation::SidebarNavigation(QObject* parent) : QObject(parent) {}

void SidebarNavigation::setAppState(AppState* state)
{
    if (m_appState == state)
        return;
    m_appState = state;
    emit appStateChanged();
}

QStringList SidebarNavigation::topSections() const
{
    QStringList names;
    for (SidebarSection section : SidebarSections::allCases()) {
        if (section != SidebarSection::profile && section != SidebarSection::settings)
            names.append(SidebarSections::rawValue(section));
    }
    return names;
}

void SidebarNavigation::select(const QString& section)
{
    if (!m_appState)
        return;
    m_appState->clearSelectedWallpaper();
    m_appState->clearSelectedCreator();
    m_appState->setSelectedSectionName(section);
}
