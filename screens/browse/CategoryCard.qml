import QtQuick
import Lanto.Screens.Browse
import Lanto.Core
import Lanto.Screens.Wallpaper

// The card of one category: its symbol in its colour, its name and a chevron,
// on a plate that brightens, gains an outline and grows under the pointer.
// A click only emits clicked().
Item {
    id: card

    required property string name
    required property string icon
    required property color color
    readonly property bool isHovered: hover.hovered

    signal clicked()

    implicitHeight: row.implicitHeight + 24
    scale: isHovered ? 1.02 : 1.0
    Behavior on scale { SpringMotion { preset: AppAnimation.hover } }

    Accessible.role: Accessible.Button
    Accessible.name: qsTr(name)

    Rectangle {
        anchors.fill: parent
        radius: 11
        color: Qt.rgba(1, 1, 1, card.isHovered ? 0.12 : 0.06)
        border.width: 1.5
        border.color: Qt.rgba(card.color.r, card.color.g, card.color.b, card.isHovered ? 0.3 : 0)
        Behavior on color { ColorAnimation { duration: AppAnimation.hover.response * 1000 } }
        Behavior on border.color { ColorAnimation { duration: AppAnimation.hover.response * 1000 } }
    }

    Row {
        id: row
        x: 14
        width: parent.width - 28
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        SymbolIcon {
            id: symbol
            name: card.icon
            pointSize: 15
            color: card.color
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            width: row.width - symbol.width - chevron.width - 2 * row.spacing
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr(card.name)
            color: Qt.rgba(1, 1, 1, 0.9)
            font.pixelSize: 13
            font.weight: Font.DemiBold
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignLeft
        }
        SymbolIcon {
            id: chevron
            name: "chevron.forward"
            pointSize: 10
            color: Qt.rgba(1, 1, 1, 0.3)
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    HoverHandler {
        id: hover
    }

    PressArea {
        ringRadius: 14
        onActivated: card.clicked()
    }
}
