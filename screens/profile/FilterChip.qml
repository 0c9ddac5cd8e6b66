import QtQuick
import Lanto.Screens.Wallpaper

// A filter chip of My Wallpapers: its raw value as plain text on a capsule.
Rectangle {
    id: chip

    required property string title
    required property bool isSelected
    signal activated

    Accessible.role: Accessible.Button
    Accessible.name: title

    implicitWidth: label.implicitWidth + 20
    implicitHeight: label.implicitHeight + 10
    radius: height / 2
    color: Qt.rgba(1, 1, 1, isSelected ? 0.15 : 0)
    Behavior on color { ColorAnimation { duration: 200; easing.type: Easing.InOutQuad } }

    Text {
        id: label
        anchors.centerIn: parent
        text: chip.title
        font.pixelSize: 11; font.weight: Font.Medium
        color: Qt.rgba(1, 1, 1, chip.isSelected ? 1 : 0.5)
    }
    PressArea { onActivated: chip.activated() }
}
