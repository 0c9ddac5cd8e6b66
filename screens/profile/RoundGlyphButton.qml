import QtQuick
import Lanto.Screens.Wallpaper

// A 28-point round button with a single symbol.
Rectangle {
    id: button

    required property string symbol
    signal activated

    Accessible.role: Accessible.Button

    width: 28
    height: 28
    radius: 14
    color: Qt.rgba(1, 1, 1, 0.08)
    SymbolIcon {
        anchors.centerIn: parent
        name: button.symbol
        pointSize: 13
        weight: Font.DemiBold
        color: Qt.rgba(1, 1, 1, 0.6)
    }
    PressArea { onActivated: button.activated() }
}
