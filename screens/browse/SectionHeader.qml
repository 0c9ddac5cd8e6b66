import QtQuick
import Lanto.Screens.Browse
import Lanto.Screens.Wallpaper

// The header of a Discover section: symbol, title and, when given, a subtitle.
Row {
    id: header

    required property string icon
    required property string title
    property string subtitle: ""

    spacing: 10

    Item {
        width: 22
        height: symbol.height
        SymbolIcon {
            id: symbol
            anchors.horizontalCenter: parent.horizontalCenter
            name: header.icon
            pointSize: 15
            weight: Font.DemiBold
            color: Qt.rgba(1, 1, 1, 0.5)
        }
    }

    Column {
        spacing: 3
        ReadText {
            anchors.left: parent.left
            text: header.title
            color: "white"
            font.pixelSize: 20
            font.bold: true
        }
        ReadText {
            anchors.left: parent.left
            visible: header.subtitle !== ""
            text: header.subtitle
            color: Qt.rgba(1, 1, 1, 0.45)
            font.pixelSize: 12
        }
    }
}
