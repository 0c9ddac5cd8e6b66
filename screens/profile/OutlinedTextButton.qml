import QtQuick
import Lanto.Screens.Wallpaper

// A small text button on a thin rounded outline of its own colour.
Rectangle {
    id: button

    required property string label
    required property color tint
    required property real outlineOpacity
    signal activated

    Accessible.role: Accessible.Button
    Accessible.name: label

    implicitWidth: text.implicitWidth + 20
    implicitHeight: text.implicitHeight + 8
    radius: 4
    color: "transparent"
    border.width: 1
    border.color: Qt.rgba(tint.r, tint.g, tint.b, outlineOpacity)

    Text {
        id: text
        anchors.centerIn: parent
        text: button.label
        font.pixelSize: 11; font.weight: Font.Medium
        color: button.tint
    }
    PressArea { ringRadius: 4; onActivated: button.activated() }
}
