import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper
import Lanto.Screens.Profile
import Lanto.Core
import Lanto.Service
import Lanto.Screens.State

// The left column: logo, the top sections, then the profile and settings rows
// at the bottom, and the update offer when a newer version is known.
Item {
    id: sidebar

    required property AppState appState
    required property AuthService auth

    SidebarNavigation {
        id: navigation
        appState: sidebar.appState
    }
    AccountPresentation {
        id: account
        auth: sidebar.auth
    }

    Column {
        id: header
        width: parent.width
        topPadding: 52

        Row {
            anchors.left: parent.left
            anchors.leftMargin: 20
            spacing: 10
            height: 32
            // The launch screens' mark, at sidebar size.
            Item {
                width: 32
                height: 32
                LantoLogo {
                    anchors.centerIn: parent
                    scale: 0.32
                }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Lanto")
                font { pixelSize: 17; bold: true }
                color: "white"
            }
        }
    }

    Column {
        id: topRows
        anchors { top: header.bottom; topMargin: 32; left: parent.left; right: parent.right; margins: 12 }
        spacing: 4
        Repeater {
            model: navigation.topSections
            SidebarItem {
                required property string modelData
                objectName: "row" + modelData
                section: modelData
                isSelected: sidebar.appState.selectedSection === modelData
                onActivated: navigation.select(modelData)
            }
        }
    }

    Column {
        anchors { bottom: badge.top; left: parent.left; right: parent.right; margins: 12; bottomMargin: 8 }
        spacing: 4
        SidebarItem {
            objectName: "rowProfile"
            section: "Profile"
            isSelected: sidebar.appState.selectedSection === "Profile"
            customLabel: account.profileLabel
            customIcon: Component { SidebarAvatar { auth: sidebar.auth } }
            onActivated: navigation.select("Profile")
        }
        SidebarItem {
            objectName: "rowSettings"
            section: "Settings"
            isSelected: sidebar.appState.selectedSection === "Settings"
            onActivated: navigation.select("Settings")
        }
    }

    SidebarUpdateOffer { id: update }
    // Rises in from the bottom edge while a newer version is known.
    Item {
        id: badge
        anchors { bottom: parent.bottom; left: parent.left; right: parent.right; margins: 14; bottomMargin: 16 }
        height: update.shown ? offer.implicitHeight : 0
        clip: true
        Behavior on height { SpringMotion { preset: AppAnimation.smooth } }
        SidebarUpdateBadge {
            id: offer
            objectName: "updateBadge"
            width: parent.width
            height: implicitHeight
            opacity: update.shown ? 1 : 0
            visible: opacity > 0
            version: update.version
            onUpdate: update.accept()
            Behavior on opacity { SpringMotion { preset: AppAnimation.smooth } }
        }
    }
}
