import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Core
import Lanto.Library
import Lanto.Service
import Lanto.Screens.State
import Lanto.Screens.Profile

// The signed-in user's profile: avatar, name and the editor's button over the
// Uploads, Downloads and Favorites tabs; signed out, only the sign-in prompt.
Item {
    id: view

    readonly property AuthService auth: AppEnvironment.auth
    readonly property AppState appState: AppEnvironment.appState

    SignInPrompt {
        anchors.fill: parent
        visible: !view.auth.isSignedIn
    }

    Loader {
        anchors.fill: parent
        active: view.auth.isSignedIn
        sourceComponent: Item {
            ProfileTabs { id: tabs }

            ProfileHeader {
                id: header
                x: 32
                width: parent.width - 64
                auth: view.auth
                tabs: tabs
                onEditRequested: view.appState.showEditProfile = true
            }

            ProfileGrid {
                objectName: "profileGrid"
                anchors.top: header.bottom
                anchors.bottom: parent.bottom
                width: parent.width
                visible: tabs.currentCount > 0
                tabs: tabs
            }

            EmptyState {
                objectName: "profileEmpty"
                anchors.top: header.bottom
                anchors.bottom: parent.bottom
                width: parent.width
                visible: tabs.currentCount === 0
                readonly property int tabIndex: tabs.tabs.indexOf(tabs.selectedTab)
                symbol: ["arrow.up.doc", "arrow.down.circle", "heart"][tabIndex]
                title: [qsTr("No uploads yet"), qsTr("No downloads yet"), qsTr("No favorites yet")][tabIndex]
                subtitle: [qsTr("Share your wallpapers with the community"), qsTr("Applied wallpapers will appear here"),
                           qsTr("Browse and save wallpapers you love")][tabIndex]
                CapsuleButton {
                    objectName: "uploadFirstButton"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: tabs.selectedTab === "Uploads"
                    label: qsTr("Upload your first wallpaper")
                    fillOpacity: 0.15
                    onActivated: view.appState.selectedSection = "Upload"
                }
            }

            CapsuleButton {
                objectName: "removeBar"
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 24
                visible: tabs.isSelectMode && tabs.selectedIds.length > 0
                symbol: "trash.fill"
                label: (tabs.selectedIds.length === 1 ? qsTr("Remove %1 Wallpaper").arg(1)
                                                               : qsTr("Remove %1 Wallpapers").arg(tabs.selectedIds.length))
                fill: "#ff453a"
                fillOpacity: 0.85
                onActivated: tabs.removeSelected()
            }
        }
    }
}
