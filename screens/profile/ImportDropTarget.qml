import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Core

// The idle drop zone: a dashed target that reads as a button.
Item {
    id: target

    required property bool isHovered
    required property bool isDropTargeted
    signal clicked
    signal pointerOver(bool inside)

    Item {
        id: face
        anchors.fill: parent
        scale: target.isHovered ? 1.005 : 1.0
        Behavior on scale { NumberAnimation { duration: AppAnimation.hover.response * 1000; easing.type: Easing.OutCubic } }

        DashedRoundedRect {
            anchors.fill: parent
            cornerRadius: 16
            fillColor: Qt.rgba(1, 1, 1, target.isDropTargeted ? 0.12 : target.isHovered ? 0.08 : 0.04)
            strokeWidth: target.isDropTargeted ? 2 : 1.5
            strokeColor: target.isDropTargeted ? Qt.rgba(0.04, 0.52, 1, 0.5)
                                               : Qt.rgba(1, 1, 1, target.isHovered ? 0.15 : 0.08)
        }

        Column {
            anchors.centerIn: parent
            spacing: 12
            SymbolIcon {
                anchors.horizontalCenter: parent.horizontalCenter
                name: target.isDropTargeted ? "arrow.down" : "arrow.up"
                pointSize: 28
                weight: Font.Light
                color: Qt.rgba(1, 1, 1, target.isDropTargeted ? 0.8 : 0.5)
            }
            Column {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 4
                Text {
                    objectName: "dropTitle"
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: target.isDropTargeted ? qsTr("Drop to Upload") : qsTr("Upload Wallpapers")
                    font.pixelSize: 15; font.weight: Font.DemiBold
                    color: Qt.rgba(1, 1, 1, 0.85)
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: qsTr("Drop files here or click to browse")
                    font.pixelSize: 11
                    color: Qt.rgba(1, 1, 1, 0.4)
                }
            }
            Row {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 16
                Repeater {
                    model: [["MOV", "film"], ["MP4", "film"], ["PNG", "photo"], ["JPEG", "photo"]]
                    Row {
                        required property var modelData
                        spacing: 4
                        SymbolIcon {
                            anchors.verticalCenter: parent.verticalCenter
                            name: parent.modelData[1]
                            pointSize: 10
                            color: Qt.rgba(1, 1, 1, 0.3)
                        }
                        Text {
                            text: parent.modelData[0]
                            font.pixelSize: 10; font.weight: Font.Medium
                            color: Qt.rgba(1, 1, 1, 0.3)
                        }
                    }
                }
            }
        }
    }

    HoverHandler { onHoveredChanged: target.pointerOver(hovered) }
    PressArea { ringRadius: 16; onActivated: target.clicked() }
    Accessible.role: Accessible.Button
    Accessible.name: qsTr("Drop files here or click to browse")
}
