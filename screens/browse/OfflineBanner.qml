import QtQuick
import Lanto.Screens.Browse
import Lanto.Screens.Wallpaper

// The orange notice that the Mac is offline, while downloads still work.
Rectangle {
    implicitHeight: row.implicitHeight + 24
    radius: 10
    color: Qt.rgba(1, 0.584, 0, 0.15)
    border.color: Qt.rgba(1, 0.584, 0, 0.3)
    border.width: 1

    Row {
        id: row
        x: 16
        width: parent.width - 32
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        SymbolIcon {
            id: symbol
            name: "wifi.slash"
            pointSize: 14
            color: Qt.rgba(1, 1, 1, 0.7)
            anchors.verticalCenter: parent.verticalCenter
        }
        ReadText {
            id: notice
            text: qsTr("No internet connection")
            color: Qt.rgba(1, 1, 1, 0.7)
            font.pixelSize: 13
            font.weight: Font.Medium
            anchors.verticalCenter: parent.verticalCenter
        }
        Item {
            width: Math.max(0, row.width - symbol.width - notice.width - hint.width - 3 * row.spacing)
            height: 1
        }
        ReadText {
            id: hint
            text: qsTr("Downloaded wallpapers are still available")
            color: Qt.rgba(1, 1, 1, 0.5)
            font.pixelSize: 11
            anchors.verticalCenter: parent.verticalCenter
        }
    }
}
