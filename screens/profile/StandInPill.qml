import QtQuick

// Stands in for the shared filter pill until the cards module provides it.
Rectangle {
    id: pill

    required property string title
    required property bool isSelected
    signal activated

    implicitWidth: label.implicitWidth + 24
    implicitHeight: label.implicitHeight + 12
    radius: height / 2
    color: Qt.rgba(1, 1, 1, pill.isSelected ? 0.15 : (hover.hovered ? 0.08 : 0.04))

    Text {
        id: label
        anchors.centerIn: parent
        text: qsTr(pill.title)
        font.pixelSize: 12
        font.weight: pill.isSelected ? Font.DemiBold : Font.Medium
        color: Qt.rgba(1, 1, 1, pill.isSelected ? 1 : 0.7)
    }
    HoverHandler { id: hover }
    TapHandler { onTapped: pill.activated() }
}
