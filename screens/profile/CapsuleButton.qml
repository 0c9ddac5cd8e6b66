import QtQuick
import Lanto.Screens.Wallpaper

// A text button on a filled capsule (or the glass capsule), with an optional
// symbol before the text.
// A screen reader hears the text alone.
Rectangle {
    id: button

    required property string label
    property string symbol: ""
    property color fill: "white"
    property real fillOpacity: 0.08
    // The outline's white, 0 for none.
    property real outlineOpacity: 0
    property bool glass: false
    property color textColor: "white"
    property int fontSize: 13
    signal activated

    Accessible.role: Accessible.Button
    Accessible.name: label

    implicitWidth: content.implicitWidth + 32
    implicitHeight: content.implicitHeight + 16
    radius: height / 2
    color: glass ? "transparent" : Qt.rgba(fill.r, fill.g, fill.b, fillOpacity)
    border.width: outlineOpacity > 0 ? 1 : 0
    border.color: Qt.rgba(1, 1, 1, outlineOpacity)
    GlassCapsule {
        anchors.fill: parent
        visible: button.glass
    }
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
