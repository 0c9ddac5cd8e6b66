#include "AppState.h"

namespace {

// Wallpapers count as changed only with their id, or with becoming or stopping being none.
bool differentWallpaper(const std::optional<Wallpaper>& a, const std::optional<Wallpaper>& b)
{
    if (a.has_value() != b.has_value())
        return true;
    return a && a->id != b->id;
}

template <typename T>
bool differs(const T& a, const T& b)
{
    return a != b;
}

} // namespace

AppState::AppState(Scheduler& scheduler, QObject* parent) : QObject(parent), m_scheduler(scheduler) {}

AppState::~AppState()
{
    for (const WorkItemPtr& clear : m_toastClears)
        clear->cancel();
}

void AppState::setSelectedSection(SidebarSection section)
{
    store(m_selectedSection, section, differs<SidebarSection>, &AppState::selectedSectionChanged);
}

void AppState::setSearchText(const QString& text)
{
    store(m_searchText, text, differs<QString>, &AppState::searchTextChanged);
}

void AppState::setIsFullScreen(bool fullScreen)
{
    store(m_isFullScreen, fullScreen, differs<bool>, &AppState::isFullScreenChanged);
}

void AppState::setSelectedWallpaper(const std::optional<Wallpaper>& wallpaper)
{
    store(m_selectedWallpaper, wallpaper, differentWallpaper, &AppState::selectedWallpaperChanged);
}

void AppState::setPendingCategory(std::optional<WallpaperCategory> category)
{
    store(m_pendingCategory, category, differs<std::optional<WallpaperCategory>>, &AppState::pendingCategoryChanged);
}

void AppState::setDeleteConfirmation(std::optional<DeleteConfirmation> confirmation)
{
    // Every write is news: two confirmations of the same list are two questions.
    m_deleteConfirmation = std::move(confirmation);
    emit deleteConfirmationChanged();
}

void AppState::setShowEditProfile(bool show)
{
    store(m_showEditProfile, show, differs<bool>, &AppState::showEditProfileChanged);
}

void AppState::setShowSignOutConfirm(bool show)
{
    store(m_showSignOutConfirm, show, differs<bool>, &AppState::showSignOutConfirmChanged);
}

void AppState::setToastMessage(const std::optional<QString>& message)
{
    store(m_toastMessage, message, differs<std::optional<QString>>, &AppState::toastMessageChanged);
}

void AppState::setSelectedCreator(const std::optional<Creator>& creator)
{
    store(m_selectedCreator, creator, differs<std::optional<Creator>>, &AppState::selectedCreatorChanged);
}

void AppState::setPreviousWallpaper(const std::optional<Wallpaper>& wallpaper)
{
    store(m_previousWallpaper, wallpaper, differentWallpaper, &AppState::previousWallpaperChanged);
}

void AppState::showToast(const QString& message) { presentToast(message, false); }

void AppState::showFailureToast(const QString& message) { presentToast(message, true); }

void AppState::presentToast(const QString& message, bool failure)
{
    // The kind travels with the message: the same text told the other way is news too.
    const bool onlyKindChanges = m_toastIsFailure != failure && m_toastMessage == message;
    m_toastIsFailure = failure;
    setToastMessage(message);
    if (onlyKindChanges)
        emit toastMessageChanged();
    // All clears wait the same time, so they run in the order they were started.
    m_toastClears.append(m_scheduler.after(toastDuration, [this, message] {
        m_toastClears.removeFirst();
        if (m_toastMessage == message)
            setToastMessage(std::nullopt);
    }));
}

void AppState::openWallpaper(const Wallpaper& wallpaper)
{
    setPreviousWallpaper(std::nullopt);
    setSelectedCreator(std::nullopt);
    setSelectedWallpaper(orNone(wallpaper));
}

void AppState::openCreatorFromWallpaper(const Wallpaper& wallpaper)
{
    setPreviousWallpaper(orNone(wallpaper));
    setSelectedWallpaper(std::nullopt);
    setSelectedCreator(wallpaper.creator());
}

void AppState::closeCreator()
{
    if (m_previousWallpaper)
        setSelectedWallpaper(m_previousWallpaper);
    setPreviousWallpaper(std::nullopt);
    setSelectedCreator(std::nullopt);
}

void AppState::requestDeletion(const QVariantList& wallpapers, const QJSValue& onConfirm)
{
    DeleteConfirmation confirmation;
    for (const QVariant& value : wallpapers) {
        if (value.canConvert<Wallpaper>())
            confirmation.wallpapers.append(value.value<Wallpaper>());
    }
    confirmation.onConfirm = [onConfirm]() mutable {
        if (onConfirm.isCallable())
            onConfirm.call();
    };
    setDeleteConfirmation(std::move(confirmation));
}

void AppState::confirmDeletion()
{
    if (!m_deleteConfirmation)
        return;
    // Taken first: the action may ask for a new confirmation.
    std::function<void()> action = m_deleteConfirmation->onConfirm;
    if (action)
        action();
    setDeleteConfirmation(std::nullopt);
}

void AppState::setSelectedSectionName(const QString& name)
{
    if (std::optional<SidebarSection> section = SidebarSections::fromRawValue(name))
        setSelectedSection(*section);
}

void AppState::setPendingCategoryName(const QString& name)
{
    setPendingCategory(WallpaperCategories::fromRawValue(name));
}

QVariantList AppState::deleteConfirmationWallpapers() const
{
    QVariantList list;
    if (m_deleteConfirmation) {
        for (const Wallpaper& wallpaper : m_deleteConfirmation->wallpapers)
            list.append(QVariant::fromValue(wallpaper));
    }
    return list;
}

void AppState::setSelectedCreatorValue(const Creator& creator)
{
    setSelectedCreator(creator.isValid() ? std::optional<Creator>(creator) : std::nullopt);
}

std::optional<Wallpaper> AppState::orNone(const Wallpaper& wallpaper)
{
    return wallpaper.isValid() ? std::optional<Wallpaper>(wallpaper) : std::nullopt;
}
