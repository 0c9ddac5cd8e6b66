import QtQuick
import Lanto.Screens.Wallpaper

// A button on the glass capsule: its content in a row, padded. Disabled, it
// takes no clicks.
Item {
    id: button

    property real horizontalPadding: 16
    property real verticalPadding: 8
    default property alias content: row.data

    signal clicked()

    implicitWidth: row.implicitWidth + 2 * horizontalPadding
    implicitHeight: row.implicitHeight + 2 * verticalPadding
    Accessible.role: Accessible.Button

    GlassCapsule {
        anchors.fill: parent
    }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 6
    }

    PressArea {
        enabled: button.enabled
        onActivated: button.clicked()
    }
}
