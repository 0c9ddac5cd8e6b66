import QtQuick
import Lanto.Screens.Wallpaper

// A centred symbol, title and optional subtitle for an empty list.
Item {
    id: empty

    required property string symbol
    required property string title
    property string subtitle: ""
    default property alias extra: column.data

    Column {
        id: column
        anchors.centerIn: parent
        spacing: 12
        SymbolIcon {
            anchors.horizontalCenter: parent.horizontalCenter
            name: empty.symbol
            pointSize: 40
            color: Qt.rgba(1, 1, 1, 0.15)
        }
        ReadText {
            objectName: "emptyTitle"
            anchors.horizontalCenter: parent.horizontalCenter
            text: empty.title
            font.pixelSize: 15; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.4)
        }
        ReadText {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: empty.subtitle !== ""
            text: empty.subtitle
            font.pixelSize: 12
            color: Qt.rgba(1, 1, 1, 0.3)
        }
    }
}
