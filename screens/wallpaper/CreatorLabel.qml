import QtQuick
import Lanto.Core
import Lanto.Screens.Wallpaper

// A creator's chip: the avatar, or a circle in the creator's colour with the
// first letter of the name, and the name. The caller handles clicks on it.
Row {
    id: label

    required property creator creator
    // The widest the chip may be; a longer name is elided. Negative: no limit.
    property real maximumWidth: -1

    spacing: 5

    Item {
        width: 15
        height: 15
        anchors.verticalCenter: parent.verticalCenter

        Rectangle {
            objectName: "initialCircle"
            anchors.fill: parent
            radius: width / 2
            visible: !avatar.hasPicture
            gradient: Gradient {
                GradientStop { position: 0; color: Qt.lighter(label.creator.avatarColor, 1.25) }
                GradientStop { position: 1; color: label.creator.avatarColor }
            }

            Text {
                anchors.centerIn: parent
                text: label.creator.initial
                color: "white"
                font.pixelSize: 7
                font.bold: true
            }
        }

        // Decoded at the chip's size; a web picture beyond the loader's cap is refused.
        RoundedPicture {
            id: avatar
            objectName: "avatar"
            anchors.fill: parent
            radius: width / 2
            source: label.creator.avatarImageUrl
            visible: hasPicture
        }
    }

    Text {
        objectName: "creatorName"
        anchors.verticalCenter: parent.verticalCenter
        width: label.maximumWidth < 0 ? implicitWidth : Math.max(0, Math.min(implicitWidth, label.maximumWidth - 15 - label.spacing))
        elide: Text.ElideRight
        maximumLineCount: 1
        text: label.creator.name
        color: Qt.rgba(1, 1, 1, 0.6)
        font.pixelSize: 11
        font.weight: Font.Medium
    }
}
