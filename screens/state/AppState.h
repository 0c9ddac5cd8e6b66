#pragma once

#include "Creator.h"
#include "Scheduler.h"
#include "SidebarSection.h"
#include "Wallpaper.h"
#include "WallpaperCategory.h"

#include <QJSValue>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <functional>
#include <optional>

// The navigation and passing interface state of the main window: the section
// shown, the Discover search text, the wallpaper or creator page open over it,
// pending confirmations and the toast. A setter tells observers only when the
// value really changes; a wallpaper changes only with its id. Main thread only.
//
// QML sees optional values as "none" when empty (an invalid wallpaper or
// creator, an empty text) and clears them by assigning undefined.
class AppState : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("AppState is created once by the application")
    Q_PROPERTY(QString selectedSection READ selectedSectionName WRITE setSelectedSectionName NOTIFY selectedSectionChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(bool isFullScreen READ isFullScreen WRITE setIsFullScreen NOTIFY isFullScreenChanged)
    Q_PROPERTY(Wallpaper selectedWallpaper READ selectedWallpaperValue WRITE setSelectedWallpaperValue
                   RESET clearSelectedWallpaper NOTIFY selectedWallpaperChanged)
    Q_PROPERTY(QString pendingCategory READ pendingCategoryName WRITE setPendingCategoryName
                   RESET clearPendingCategory NOTIFY pendingCategoryChanged)
    Q_PROPERTY(bool hasDeleteConfirmation READ hasDeleteConfirmation NOTIFY deleteConfirmationChanged)
    Q_PROPERTY(QVariantList deleteConfirmationWallpapers READ deleteConfirmationWallpapers NOTIFY deleteConfirmationChanged)
    Q_PROPERTY(bool showEditProfile READ showEditProfile WRITE setShowEditProfile NOTIFY showEditProfileChanged)
    Q_PROPERTY(bool showSignOutConfirm READ showSignOutConfirm WRITE setShowSignOutConfirm NOTIFY showSignOutConfirmChanged)
    Q_PROPERTY(QString toastMessage READ toastMessageText RESET clearToast NOTIFY toastMessageChanged)
    Q_PROPERTY(bool toastIsFailure READ toastIsFailure NOTIFY toastMessageChanged)
    Q_PROPERTY(Creator selectedCreator READ selectedCreatorValue WRITE setSelectedCreatorValue
                   RESET clearSelectedCreator NOTIFY selectedCreatorChanged)
    Q_PROPERTY(Wallpaper previousWallpaper READ previousWallpaperValue WRITE setPreviousWallpaperValue
                   RESET clearPreviousWallpaper NOTIFY previousWallpaperChanged)

public:
    // A pending removal of wallpapers; onConfirm runs when the user confirms.
    struct DeleteConfirmation
    {
        QList<Wallpaper> wallpapers;
        std::function<void()> onConfirm;
    };

    static constexpr std::chrono::milliseconds toastDuration{2000};

    // The toast's clock is the scheduler.
    explicit AppState(Scheduler& scheduler, QObject* parent = nullptr);
    ~AppState() override;

    SidebarSection selectedSection() const { return m_selectedSection; }
    void setSelectedSection(SidebarSection section);
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString& text);
    bool isFullScreen() const { return m_isFullScreen; }
    void setIsFullScreen(bool fullScreen);
    const std::optional<Wallpaper>& selectedWallpaper() const { return m_selectedWallpaper; }
    void setSelectedWallpaper(const std::optional<Wallpaper>& wallpaper);
    const std::optional<WallpaperCategory>& pendingCategory() const { return m_pendingCategory; }
    void setPendingCategory(std::optional<WallpaperCategory> category);
    const std::optional<DeleteConfirmation>& deleteConfirmation() const { return m_deleteConfirmation; }
    void setDeleteConfirmation(std::optional<DeleteConfirmation> confirmation);
    bool showEditProfile() const { return m_showEditProfile; }
    void setShowEditProfile(bool show);
    bool showSignOutConfirm() const { return m_showSignOutConfirm; }
    void setShowSignOutConfirm(bool show);
    const std::optional<QString>& toastMessage() const { return m_toastMessage; }
    void setToastMessage(const std::optional<QString>& message);
    const std::optional<Creator>& selectedCreator() const { return m_selectedCreator; }
    void setSelectedCreator(const std::optional<Creator>& creator);
    const std::optional<Wallpaper>& previousWallpaper() const { return m_previousWallpaper; }
    void setPreviousWallpaper(const std::optional<Wallpaper>& wallpaper);

    // Shows the message, and clears it 2.0 s later unless another toast replaced it.
    Q_INVOKABLE void showToast(const QString& message);
    // The same, for something that went wrong: the toast is drawn as a warning.
    Q_INVOKABLE void showFailureToast(const QString& message);
    bool toastIsFailure() const { return m_toastIsFailure; }

    // The navigation every screen follows.
    // A card: the wallpaper's detail page, with no creator page under it.
    Q_INVOKABLE void openWallpaper(const Wallpaper& wallpaper);
    // The creator chip of a detail page: the creator's page, remembering the wallpaper.
    Q_INVOKABLE void openCreatorFromWallpaper(const Wallpaper& wallpaper);
    // Back from a creator's page: to the wallpaper it was opened from, if any.
    Q_INVOKABLE void closeCreator();

    // The removal confirmation as QML asks for it; onConfirm is a function.
    Q_INVOKABLE void requestDeletion(const QVariantList& wallpapers, const QJSValue& onConfirm);
    // Runs the pending confirmation's action, then clears it.
    Q_INVOKABLE void confirmDeletion();
    Q_INVOKABLE void cancelDeletion() { setDeleteConfirmation(std::nullopt); }

    // The QML faces of the optional fields.
    QString selectedSectionName() const { return SidebarSections::rawValue(m_selectedSection); }
    void setSelectedSectionName(const QString& name);
    Wallpaper selectedWallpaperValue() const { return m_selectedWallpaper.value_or(Wallpaper()); }
    void setSelectedWallpaperValue(const Wallpaper& wallpaper) { setSelectedWallpaper(orNone(wallpaper)); }
    void clearSelectedWallpaper() { setSelectedWallpaper(std::nullopt); }
    QString pendingCategoryName() const { return m_pendingCategory ? rawValue(*m_pendingCategory) : QString(); }
    void setPendingCategoryName(const QString& name);
    void clearPendingCategory() { setPendingCategory(std::nullopt); }
    bool hasDeleteConfirmation() const { return m_deleteConfirmation.has_value(); }
    QVariantList deleteConfirmationWallpapers() const;
    QString toastMessageText() const { return m_toastMessage.value_or(QString()); }
    void clearToast() { setToastMessage(std::nullopt); }
    Creator selectedCreatorValue() const { return m_selectedCreator.value_or(Creator()); }
    void setSelectedCreatorValue(const Creator& creator);
    void clearSelectedCreator() { setSelectedCreator(std::nullopt); }
    Wallpaper previousWallpaperValue() const { return m_previousWallpaper.value_or(Wallpaper()); }
    void setPreviousWallpaperValue(const Wallpaper& wallpaper) { setPreviousWallpaper(orNone(wallpaper)); }
    void clearPreviousWallpaper() { setPreviousWallpaper(std::nullopt); }

signals:
    void selectedSectionChanged();
    void searchTextChanged();
    void isFullScreenChanged();
    void selectedWallpaperChanged();
    void pendingCategoryChanged();
    void deleteConfirmationChanged();
    void showEditProfileChanged();
    void showSignOutConfirmChanged();
    void toastMessageChanged();
    void selectedCreatorChanged();
    void previousWallpaperChanged();

private:
    static std::optional<Wallpaper> orNone(const Wallpaper& wallpaper);
    void presentToast(const QString& message, bool failure);
    // Stores the value; tells observers only when changed says it differs.
    template <typename T, typename Differs>
    void store(T& field, T value, Differs differs, void (AppState::*notify)())
    {
        const bool changed = differs(field, value);
        field = std::move(value);
        if (changed)
            emit(this->*notify)();
    }

    Scheduler& m_scheduler;
    SidebarSection m_selectedSection = SidebarSection::discover;
    QString m_searchText;
    bool m_isFullScreen = false;
    std::optional<Wallpaper> m_selectedWallpaper;
    std::optional<WallpaperCategory> m_pendingCategory;
    std::optional<DeleteConfirmation> m_deleteConfirmation;
    bool m_showEditProfile = false;
    bool m_showSignOutConfirm = false;
    std::optional<QString> m_toastMessage;
    bool m_toastIsFailure = false;
    std::optional<Creator> m_selectedCreator;
    std::optional<Wallpaper> m_previousWallpaper;
    // The toasts' pending clears; they never run after the state is gone.
    QList<WorkItemPtr> m_toastClears;
};
