import QtQuick
import Lanto.Screens.Wallpaper

// A 28-point round button with a single glyph.
Rectangle {
    id: button

    required property string glyph
    signal activated

    Accessible.role: Accessible.Button

    width: 28
    height: 28
    radius: 14
    color: Qt.rgba(1, 1, 1, 0.08)
    Text {
        anchors.centerIn: parent
        text: button.glyph
        font.pixelSize: 16; font.weight: Font.DemiBold
        color: Qt.rgba(1, 1, 1, 0.6)
    }
    PressArea { onActivated: button.activated() }
}
