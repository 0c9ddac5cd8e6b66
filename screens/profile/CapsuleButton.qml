import QtQuick
import Lanto.Screens.Wallpaper

// A text button on a filled capsule, with an optional symbol before the text.
// A screen reader hears the text alone.
Rectangle {
    id: button

    required property string label
    property string symbol: ""
    property color fill: "white"
    property real fillOpacity: 0.08
    property color textColor: "white"
    property int fontSize: 13
    signal activated

    Accessible.role: Accessible.Button
    Accessible.name: label

    implicitWidth: content.implicitWidth + 32
    implicitHeight: content.implicitHeight + 16
    radius: height / 2
    color: Qt.rgba(fill.r, fill.g, fill.b, fillOpacity)
    Row {
        id: content
        anchors.centerIn: parent
        spacing: 5
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            visible: button.symbol !== ""
            name: button.symbol
            pointSize: button.fontSize
            color: button.textColor
        }
        Text {
            text: button.label
            font.pixelSize: button.fontSize; font.weight: Font.DemiBold
            color: button.textColor
        }
    }
    PressArea { onActivated: button.activated() }
}
