import QtQuick
import Lanto.Screens.Wallpaper
import QtQuick.Controls
import Lanto.Core
import Lanto.Screens.State
import Lanto.Screens.Profile

// A creator's public page: avatar, name and count over a searchable, sortable
// grid of every public wallpaper, fetched page by page when the page opens.
Item {
    id: page

    required property creator creator

    CreatorWallpapers {
        id: creatorWallpapers
        creator: page.creator
    }

    Column {
        id: header
        x: 32
        width: parent.width - 64
        spacing: 16
        bottomPadding: 16
        Item { width: 1; height: 52 }

        // Back and the title at the leading edge, the search box at the trailing one.
        Item {
            width: parent.width
            height: 36
            RoundGlyphButton {
                id: backButton
                objectName: "backButton"
                Accessible.name: qsTr("Back")
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                symbol: "chevron.left"
                onActivated: AppEnvironment.appState.closeCreator()
            }
            ReadText {
                objectName: "pageTitle"
                anchors.left: backButton.right
                anchors.leftMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Profile")
                font.pixelSize: 30; font.bold: true
                color: "white"
            }
            SearchBox {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: creatorWallpapers.searchText
                onEdited: text => creatorWallpapers.searchText = text
            }
        }

        // Avatar, name and badge at the leading edge, the count at the trailing
        // one; a name too long for the room between them is elided.
        Item {
            width: parent.width
            height: 48
            AvatarCircle {
                id: avatar
                anchors.left: parent.left
                width: 48; height: 48
                fill: page.creator.avatarColor
                initials: page.creator.initial
                source: page.creator.avatarUrl
            }
            ReadText {
                id: creatorName
                objectName: "creatorName"
                anchors.left: avatar.right
                anchors.leftMargin: 14
                anchors.verticalCenter: parent.verticalCenter
                width: Math.max(0, Math.min(implicitWidth, parent.width - avatar.width - countText.width - 2 * 14
                                            - (badge.visible ? badge.width + 6 : 0)))
                text: page.creator.name
                elide: Text.ElideRight
                maximumLineCount: 1
                font.pixelSize: 16; font.weight: Font.DemiBold
                color: "white"
            }
            SymbolIcon {
                id: badge
                anchors.left: creatorName.right
                anchors.leftMargin: 6
                anchors.verticalCenter: parent.verticalCenter
                visible: page.creator.isVerified
                name: "checkmark.circle.fill"
                pointSize: 14
                color: "#0a84ff"
            }
            ReadText {
                id: countText
                objectName: "countText"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: creatorWallpapers.totalCount === 1 ? qsTr("%1 wallpaper").arg(1)
                                                         : qsTr("%1 wallpapers").arg(creatorWallpapers.totalCount)
                font.pixelSize: 13
                color: Qt.rgba(1, 1, 1, 0.5)
            }
        }

        Row {
            anchors.left: parent.left
            spacing: 8
            Repeater {
                objectName: "sortPills"
                model: creatorWallpapers.sortOptions
                FilterPill {
                    required property string modelData
                    title: qsTr(modelData)
                    isSelected: creatorWallpapers.sortOption === modelData
                    onClicked: creatorWallpapers.sortOption = modelData
                }
            }
        }
    }

    BusyIndicator {
        anchors.centerIn: content
        visible: creatorWallpapers.isLoading
        running: visible && WindowActivity.shown
    }

    WallpaperGrid {
        id: content
        objectName: "creatorGrid"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        visible: !creatorWallpapers.isLoading && count > 0
        model: creatorWallpapers.wallpapers
    }

    EmptyState {
        objectName: "emptyState"
        anchors.fill: content
        visible: !creatorWallpapers.isLoading && content.count === 0
        symbol: "photo"
        title: creatorWallpapers.searchText === "" ? qsTr("No public wallpapers yet") : qsTr("No matching wallpapers")
    }
}
