import QtQuick
import Lanto.Screens.Wallpaper
import QtQuick.Controls

// The search field of a page: glass, magnifier, text and a clear button.
Rectangle {
    id: box

    required property string text
    signal edited(string text)

    width: 220
    height: field.implicitHeight + 16
    radius: 8
    color: Qt.rgba(1, 1, 1, 0.08)
    border.color: Qt.rgba(1, 1, 1, 0.1)

    Row {
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        spacing: 8
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: "magnifyingglass"
            pointSize: 12
            color: Qt.rgba(1, 1, 1, 0.4)
        }
        TextField {
            id: field
            objectName: "searchField"
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 40
            placeholderText: qsTr("Search...")
            text: box.text
            font.pixelSize: 13
            color: "white"
            background: null
            Accessible.name: qsTr("Search this creator's wallpapers")
            onTextEdited: box.edited(text)
        }
        Item {
            objectName: "clearSearch"
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Clear")
            anchors.verticalCenter: parent.verticalCenter
            visible: box.text !== ""
            width: clearIcon.width
            height: clearIcon.height
            SymbolIcon {
                id: clearIcon
                name: "xmark.circle.fill"
                pointSize: 12
                color: Qt.rgba(1, 1, 1, 0.4)
            }
            PressArea { onActivated: box.edited("") }
        }
    }
}
