import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Screens.Settings

// "Check for Updates…": a check whose outcome the window shows, offered while
// the updater can start one.
Item {
    id: row

    required property SettingsViewModel settings

    width: parent ? parent.width : implicitWidth
    implicitHeight: button.implicitHeight + 12

    Rectangle {
        id: button
        objectName: "checkForUpdatesButton"
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        enabled: row.settings.canCheckForUpdates
        opacity: enabled ? 1 : 0.4
        implicitWidth: label.implicitWidth + 24
        implicitHeight: label.implicitHeight + 10
        radius: height / 2
        color: Qt.rgba(1, 1, 1, hover.hovered ? 0.16 : 0.1)

        Accessible.role: Accessible.Button
        Accessible.name: label.text

        Text {
            id: label
            anchors.centerIn: parent
            text: qsTr("Check for Updates…")
            font.pixelSize: 12; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.85)
        }
        HoverHandler { id: hover }
        PressArea { onActivated: row.settings.checkForUpdates() }
    }
}
