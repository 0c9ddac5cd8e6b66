import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Service
import Lanto.Screens.Profile

// The own profile's header: title, avatar, name, "Edit Profile" and the tab row.
Column {
    id: header

    required property AuthService auth
    required property ProfileTabs tabs
    signal editRequested

    spacing: 16
    bottomPadding: 16

    FavoritesVisibility { id: visibility }

    Item { width: 1; height: 52 }
    ReadText {
        anchors.left: parent.left
        text: qsTr("Profile")
        font.pixelSize: 30; font.bold: true
        color: "white"
    }

    // Avatar and name at the leading edge, "Edit Profile" at the trailing one;
    // a name too long for the room between them is elided.
    Item {
        width: parent.width
        height: 48
        AvatarCircle {
            id: avatar
            anchors.left: parent.left
            width: 48; height: 48
            fill: AvatarStyle.placeholderColor(header.auth.avatarColor)
            initials: AvatarStyle.profileInitials(header.auth.displayName)
            image: header.auth.localAvatarImage
            source: header.auth.avatarUrl
        }
        ReadText {
            objectName: "profileName"
            anchors.left: avatar.right
            anchors.leftMargin: 14
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(0, Math.min(implicitWidth, parent.width - avatar.width - editButton.width - 2 * 14))
            text: AvatarStyle.profileName(header.auth.displayName)
            elide: Text.ElideRight
            maximumLineCount: 1
            font.pixelSize: 16; font.weight: Font.DemiBold
            color: "white"
        }
        CapsuleButton {
            id: editButton
            objectName: "editProfileButton"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            label: qsTr("Edit Profile")
            fontSize: 12
            textColor: Qt.rgba(1, 1, 1, 0.6)
            onActivated: header.editRequested()
        }
    }

    Item {
        width: parent.width
        height: tabRow.implicitHeight
        Row {
            id: tabRow
            anchors.left: parent.left
            spacing: 6
            Repeater {
                objectName: "tabPills"
                model: header.tabs.tabs
                FilterPill {
                    required property string modelData
                    title: qsTr(modelData)
                    isSelected: header.tabs.selectedTab === modelData
                    onClicked: header.tabs.selectTab(modelData)
                }
            }
            CapsuleButton {
                objectName: "favoritesVisibility"
                visible: header.tabs.selectedTab === "Favorites"
                symbol: visibility.isPublic ? "eye" : "eye.slash"
                label: visibility.isPublic ? qsTr("Public") : qsTr("Hidden")
                fontSize: 10
                fillOpacity: 0.06
                textColor: Qt.rgba(1, 1, 1, 0.4)
                onActivated: visibility.toggle()
            }
        }
        CapsuleButton {
            objectName: "selectButton"
            anchors.right: parent.right
            visible: header.tabs.canSelect
            label: header.tabs.isSelectMode ? qsTr("Cancel") : qsTr("Select")
            fontSize: 12
            fillOpacity: 0.1
            textColor: Qt.rgba(1, 1, 1, 0.7)
            onActivated: header.tabs.toggleSelectMode()
        }
    }
}
