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

        Item {
            width: parent.width
            height: 36
            Row {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 12
                RoundGlyphButton {
                    objectName: "backButton"
                    Accessible.name: qsTr("Back")
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "chevron.left"
                    onActivated: AppEnvironment.appState.closeCreator()
                }
                Text {
                    text: qsTr("Profile")
                    font.pixelSize: 30; font.bold: true
                    color: "white"
                }
            }
            SearchBox {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: creatorWallpapers.searchText
                onEdited: text => creatorWallpapers.searchText = text
            }
        }

        Item {
            width: parent.width
            height: 48
            Row {
                spacing: 14
                AvatarCircle {
                    width: 48; height: 48
                    fill: page.creator.avatarColor
                    initials: page.creator.initial
                    source: page.creator.avatarUrl
                }
                Row {
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 6
                    Text {
                        text: page.creator.name
                        font.pixelSize: 16; font.weight: Font.DemiBold
                        color: "white"
                    }
                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        visible: page.creator.isVerified
                        name: "checkmark.circle.fill"
                        pointSize: 14
                        color: "#0a84ff"
                    }
                }
            }
            Text {
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
