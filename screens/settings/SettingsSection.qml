import QtQuick
import Lanto.Screens.Wallpaper

// One titled card of the settings screen; its children are stacked in the card.
Column {
    id: section

    required property string title
    default property alias content: card.data

    spacing: 12

    ReadText {
        anchors.left: parent.left
        text: section.title.toUpperCase()
        font.pixelSize: 13; font.weight: Font.DemiBold; font.letterSpacing: 0.5
        color: Qt.rgba(1, 1, 1, 0.5)
    }
    Rectangle {
        width: section.width
        height: card.implicitHeight + 32
        radius: 12
        color: Qt.rgba(1, 1, 1, 0.06)
        border.color: Qt.rgba(1, 1, 1, 0.08)
        border.width: 1

        Column {
            id: card
            x: 16; y: 16
            width: parent.width - 32
        }
    }
}
