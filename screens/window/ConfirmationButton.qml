import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper

// A confirmation card's button: the glass capsule for Cancel, a red capsule for
// the destructive action.
Item {
    id: button

    required property string label
    property bool destructive: false

    signal clicked()

    implicitHeight: text.implicitHeight + 20

    GlassCapsule {
        anchors.fill: parent
        visible: !button.destructive
    }
    Rectangle {
        anchors.fill: parent
        visible: button.destructive
        radius: height / 2
        color: Qt.rgba(1, 0.23, 0.19, 0.15)
        border.width: 1
        border.color: Qt.rgba(1, 0.23, 0.19, 0.3)
    }
    Text {
        id: text
        anchors.centerIn: parent
        text: button.label
        font { pixelSize: 13; weight: Font.DemiBold }
        color: button.destructive ? "#ff3b30" : "white"
    }
    Accessible.role: Accessible.Button
    Accessible.name: button.label
    PressArea {
        onActivated: button.clicked()
    }
}
