#include "SidebarUpdateOffer.h"

#include "Rebind.h"

SidebarUpdateOffer::SidebarUpdateOffer(QObject* parent) : QObject(parent)
{
    setManager(SparkleUpdateManager::create(nullptr, nullptr));
}

void SidebarUpdateOffer::setManager(SparkleUpdateManager* manager)
{
    const bool changedManager = rebind(m_manager, manager, this, [this](SparkleUpdateManager* added) {
        connect(added, &SparkleUpdateManager::updateAvailableChanged, this, &SidebarUpdateOffer::changed);
        connect(added, &SparkleUpdateManager::newVersionChanged, this, &SidebarUpdateOffer::changed);
    });
    if (changedManager)
        emit changed();
}

bool SidebarUpdateOffer::shown() const
{
    return m_manager && m_manager->updateAvailable() && m_manager->newVersion().has_value();
}

void SidebarUpdateOffer::accept()
{
    if (!m_manager)
        return;
    m_manager->setUpdateAvailable(false);
    if (const std::function<void()>& install = m_manager->immediateInstallHandler())
        install();
    else
        m_manager->checkForUpdates();
}
