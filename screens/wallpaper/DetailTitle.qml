import QtQuick
import Lanto.Core
import Lanto.Screens.Wallpaper

// The detail page's title block: the title (renamed in place for the user's
// own items), the review badge, the creator chip and the upload's progress.
Column {
    id: block

    required property WallpaperDetailState detail
    property bool isRenaming: false
    // The width the block may take; a longer title wraps to two lines and is elided.
    property real availableWidth: 100000

    signal creatorClicked()

    spacing: 6

    // Each line starts at the block's leading edge, mirrored right to left.
    Row {
        anchors.left: parent.left
        spacing: 10

        Item {
            id: titleBox
            readonly property real room: Math.max(0, block.availableWidth - (pencilButton.visible ? pencilButton.width + 10 : 0)
                                                       - (badge.width > 0 ? badge.width + 10 : 0))
            width: field.visible ? Math.min(room, 240) : title.width
            height: title.height

            Text {
                id: title
                objectName: "detailTitle"
                width: Math.min(implicitWidth, titleBox.room)
                visible: !block.isRenaming
                text: block.detail.wallpaper.displayTitle
                color: "white"
                font.pixelSize: 28
                font.bold: true
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
                // The page's heading, for a screen reader to read out.
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            TextInput {
                id: field
                objectName: "renameField"
                anchors.fill: parent
                visible: block.isRenaming
                color: "white"
                font.pixelSize: 28
                font.bold: true
                Accessible.role: Accessible.EditableText
                Accessible.name: qsTr("Wallpaper name")
                activeFocusOnTab: visible
                Keys.onEscapePressed: block.isRenaming = false
                onAccepted: {
                    block.detail.commitRename(text)
                    block.isRenaming = false
                }

                Text {
                    visible: field.text.length === 0
                    text: qsTr("Wallpaper name")
                    color: Qt.rgba(1, 1, 1, 0.3)
                    font: field.font
                }
            }
        }

        Item {
            id: pencilButton
            objectName: "pencil"
            anchors.verticalCenter: parent.verticalCenter
            visible: block.detail.canRename && !block.isRenaming
            width: pencil.width
            height: pencil.height

            SymbolIcon {
                id: pencil
                name: "pencil"
                pointSize: 14
                color: Qt.rgba(1, 1, 1, 0.4)
            }
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Rename")
            PressArea {
                ringRadius: 4
                onActivated: {
                    field.text = block.detail.wallpaper.title
                    block.isRenaming = true
                    field.forceActiveFocus()
                }
            }
        }

        StatusBadge {
            id: badge
            anchors.verticalCenter: parent.verticalCenter
            status: block.detail.wallpaper.submissionStatus
        }
    }

    Item {
        anchors.left: parent.left
        width: creator.width
        height: creator.implicitHeight

        CreatorLabel {
            id: creator
            creator: block.detail.wallpaper.creator
            maximumWidth: block.availableWidth
        }
        Accessible.role: Accessible.Button
        Accessible.name: block.detail.wallpaper.creator.name
        PressArea {
            objectName: "detailCreator"
            onActivated: block.creatorClicked()
        }
    }

    Row {
        objectName: "submissionProgress"
        visible: block.detail.showsSubmissionProgress
        anchors.left: parent.left
        spacing: 8

        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 120
            height: 4
            radius: 2
            color: Qt.rgba(1, 1, 1, 0.15)

            Rectangle {
                anchors.left: parent.left
                width: parent.width * Math.max(0, Math.min(1, block.detail.submissionProgress))
                height: parent.height
                radius: 2
                color: AppColors.blue
            }
        }
        Text {
            text: qsTr("%1%").arg(Math.floor(block.detail.submissionProgress * 100))
            color: Qt.rgba(1, 1, 1, 0.5)
            font.pixelSize: 11
            font.weight: Font.Medium
        }
    }
}
