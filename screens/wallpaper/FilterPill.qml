import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Core

// One selectable pill of a filter bar. The caller owns the selection: it passes
// isSelected and acts on clicked(). title is shown as given, already translated.
Item {
    id: pill

    required property string title
    required property bool isSelected
    readonly property bool isHovered: hover.hovered

    signal clicked()

    implicitWidth: label.implicitWidth + 28
    implicitHeight: label.implicitHeight + 12

    Accessible.role: Accessible.Button
    Accessible.name: title

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: "white"
        opacity: pill.isSelected ? 0.2 : pill.isHovered ? 0.1 : 0.05
        Behavior on opacity { SpringMotion { preset: AppAnimation.snappy } }
    }

    Text {
        id: label
        anchors.centerIn: parent
        text: pill.title
        color: pill.isSelected ? "white" : Qt.rgba(1, 1, 1, 0.7)
        font.pixelSize: 12
        font.weight: pill.isSelected ? Font.DemiBold : Font.Medium
    }

    HoverHandler {
        id: hover
    }

    PressArea {
        onActivated: pill.clicked()
    }
}
