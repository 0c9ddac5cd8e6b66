#include "FavoritesVisibility.h"

#include "AppEnvironment.h"
#include "LantoSettings.h"

FavoritesVisibility::FavoritesVisibility(QObject* parent)
    : FavoritesVisibility(AppEnvironment::installedObjects().settings, parent)
{
}

FavoritesVisibility::FavoritesVisibility(LantoSettings* settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_isPublic(settings && settings->boolValue(SettingsKey::favoritesPublic, false))
{
}

void FavoritesVisibility::toggle()
{
    m_isPublic = !m_isPublic;
    emit isPublicChanged();
    if (m_settings)
        m_settings->set(SettingsKey::favoritesPublic, PlistValue(m_isPublic));
}
