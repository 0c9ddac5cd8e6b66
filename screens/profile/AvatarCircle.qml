import QtQuick
import Lanto.Screens.Wallpaper

// An avatar: the picture when there is one and it has loaded, else a circle
// of the placeholder colour with the initials.
Item {
    id: avatar

    required property color fill
    required property string initials
    property var image: undefined
    property url source: ""
    property real letterSize: 18

    Rectangle {
        objectName: "placeholder"
        anchors.fill: parent
        radius: width / 2
        visible: !picture.hasPicture
        gradient: Gradient {
            GradientStop { position: 0; color: Qt.lighter(avatar.fill, 1.2) }
            GradientStop { position: 1; color: avatar.fill }
        }
        Text {
            anchors.centerIn: parent
            text: avatar.initials
            font.pixelSize: avatar.letterSize
            font.bold: true
            color: "white"
        }
    }
    RoundedPicture {
        id: picture
        objectName: "avatarPicture"
        anchors.fill: parent
        radius: width / 2
        image: avatar.image
        source: avatar.source
    }
}
