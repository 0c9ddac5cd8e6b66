import QtQuick
import Lanto.Core
import Lanto.Screens.Wallpaper

// The text under a card's picture: the title on one line, then the creator chip
// and the download count.
Column {
    id: block

    required property wallpaper wallpaper

    signal creatorClicked()

    width: 220
    topPadding: 10
    leftPadding: 2
    rightPadding: 2
    spacing: 4

    ReadText {
        objectName: "title"
        width: parent.width - 4
        text: block.wallpaper.displayTitle
        color: Qt.rgba(1, 1, 1, 0.9)
        font.pixelSize: 13
        font.weight: Font.DemiBold
        elide: Text.ElideRight
        maximumLineCount: 1
        // Set, so that it follows the layout's direction rather than the title's.
        horizontalAlignment: Text.AlignLeft
    }

    Item {
        width: parent.width - 4
        height: Math.max(creator.height, count.height)

        CreatorLabel {
            id: creator
            // Leading, across from the count at the trailing edge in either direction.
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            creator: block.wallpaper.creator
            maximumWidth: parent.width - count.width - 8
        }
        PressArea {
            objectName: "creatorArea"
            Accessible.role: Accessible.Button
            Accessible.name: block.wallpaper.creator.name
            anchors.fill: creator
            focusesItself: true
            onActivated: block.creatorClicked()
        }

        Row {
            id: count
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            spacing: 3

            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                name: "arrow.down.circle"
                pointSize: 9
                color: Qt.rgba(1, 1, 1, 0.35)
            }
            ReadText {
                objectName: "downloadCount"
                anchors.verticalCenter: parent.verticalCenter
                text: WallpaperFormat.compactCount(block.wallpaper.downloadCount)
                color: Qt.rgba(1, 1, 1, 0.35)
                font.pixelSize: 10
                font.weight: Font.Medium
            }
        }
    }
}
