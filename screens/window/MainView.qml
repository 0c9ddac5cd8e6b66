import QtQuick
import Lanto.Screens.Window
import Lanto.Core
import Lanto.Library
import Lanto.Service
import Lanto.Screens.State

// The main window once signed in: the live background under the sidebar and the
// content, and above them the dimming, the removal card, the profile editor,
// the sign-out card and the toast. The floating display panel hangs below it.
Item {
    id: root

    readonly property AppState appState: AppEnvironment.appState
    readonly property WallpaperManager wallpaperManager: AppEnvironment.wallpaperManager
    readonly property AuthService auth: AppEnvironment.auth

    MainWindowModel {
        id: model
        appState: root.appState
        wallpaperManager: root.wallpaperManager
        auth: root.auth
    }
    FullScreenObserver {
        id: fullScreen
        appState: root.appState
    }
    Component.onCompleted: fullScreen.start()

    LiveBackground {
        anchors.fill: parent
        section: root.appState.selectedSection
    }
    // Anchored, not placed, so that a right-to-left language mirrors them.
    SidebarView {
        id: sidebar
        objectName: "sidebar"
        width: 200
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        appState: root.appState
        auth: root.auth
    }
    ContentSwitcher {
        objectName: "contentSwitcher"
        anchors.left: sidebar.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        appState: root.appState
        section: root.appState.selectedSection
    }

    OverlayLayer {
        objectName: "dimming"
        shown: model.dimmed
        scale: 1
        Rectangle {
            anchors.fill: parent
            color: Qt.rgba(0, 0, 0, 0.4)
        }
        MouseArea {
            anchors.fill: parent
            onClicked: model.dismissOverlays()
        }
    }
    ConfirmationCard {
        objectName: "removeConfirmation"
        shown: root.appState.hasDeleteConfirmation
        symbol: "trash"
        title: model.removeTitle
        message: model.removeMessage
        actionTitle: qsTr("Remove")
        onCancelled: root.appState.cancelDeletion()
        onConfirmed: root.appState.confirmDeletion()
    }
    ProfileEditorLayer {
        shown: root.appState.showEditProfile
        onDismissed: root.appState.showEditProfile = false
    }
    ConfirmationCard {
        objectName: "signOutConfirmation"
        shown: root.appState.showSignOutConfirm
        symbol: "rectangle.portrait.and.arrow.right"
        title: qsTr("Sign Out")
        message: qsTr("You'll need to sign in again to sync your favorites.")
        actionTitle: qsTr("Sign Out")
        onCancelled: root.appState.showSignOutConfirm = false
        onConfirmed: model.signOut()
    }
    Toast {
        message: root.appState.toastMessage
        failure: root.appState.toastIsFailure
    }

    FloatingMonitorWindowAttacher {
        content: Component {
            FloatingMonitorDock {
                wallpaperManager: root.wallpaperManager
                themeGradient: SidebarSections.gradientColors(root.appState.selectedSection)
                compact: false
            }
        }
    }
}
