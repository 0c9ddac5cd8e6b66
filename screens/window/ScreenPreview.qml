import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper
import Lanto.Core

// One display's tile: its picture in a black bezel with a white border, grown a
// little when selected or hovered, and its name above it for the first two
// seconds and while the pointer is over it. Pressing it does not dim it.
Item {
    id: tile

    required property string name
    required property var previewColors
    required property url thumbnailURL
    required property bool isSelected
    required property bool compact
    property bool showLaunchLabel: true

    signal chosen()

    readonly property bool labelShown: hover.containsMouse || showLaunchLabel

    width: metrics.footprintWidth
    height: metrics.footprintHeight

    ScreenTileMetrics {
        id: metrics
        compact: tile.compact
        selected: tile.isSelected
        hovered: hover.containsMouse
    }
    // Every time the tile comes into view its name shows for a while.
    Timer {
        id: launchLabel
        interval: 2000
        running: true
        onTriggered: tile.showLaunchLabel = false
    }
    onVisibleChanged: if (visible) { showLaunchLabel = true; launchLabel.restart() }

    Rectangle {
        objectName: "nameLabel"
        anchors.horizontalCenter: parent.horizontalCenter
        y: picture.y - 10 - height + (tile.labelShown ? 0 : 6)
        width: nameText.implicitWidth + 20
        height: nameText.implicitHeight + 10
        radius: height / 2
        color: Qt.rgba(0, 0, 0, 0.75)
        opacity: tile.labelShown ? 1 : 0
        Behavior on opacity { SpringMotion { preset: hover.containsMouse ? AppAnimation.snappy : AppAnimation.slow } }
        Behavior on y { SpringMotion { preset: hover.containsMouse ? AppAnimation.snappy : AppAnimation.slow } }
        Text {
            id: nameText
            anchors.centerIn: parent
            text: tile.name
            font { pixelSize: 10; weight: Font.DemiBold }
            color: "white"
        }
    }

    Item {
        id: picture
        objectName: "picture"
        anchors.horizontalCenter: parent.horizontalCenter
        y: parent.height - 5 - height
        width: metrics.pictureWidth
        height: metrics.pictureHeight
        Behavior on width { SpringMotion { preset: AppAnimation.smooth } }
        Behavior on height { SpringMotion { preset: AppAnimation.smooth } }

        Rectangle {
            anchors.fill: parent
            radius: metrics.outerRadius
            color: "black"
        }
        RoundedPicture {
            objectName: "thumbnail"
            anchors { fill: parent; margins: metrics.inset }
            radius: metrics.innerRadius
            source: tile.thumbnailURL
            fallbackColors: tile.previewColors.length > 0 ? tile.previewColors
                                                          : [Qt.rgba(0.56, 0.56, 0.58, 0.3), Qt.rgba(0.56, 0.56, 0.58, 0.2)]
        }
        Rectangle {
            anchors.fill: parent
            radius: metrics.outerRadius
            color: "transparent"
            border.width: metrics.borderWidth
            border.color: Qt.rgba(1, 1, 1, metrics.borderOpacity)
            Behavior on border.color { ColorAnimation { duration: AppAnimation.snappy.response * 1000 } }
        }
    }

    Accessible.role: Accessible.Button
    Accessible.name: tile.name
    PressArea {
        id: hover
        hoverEnabled: true
        ringRadius: metrics.outerRadius
        onActivated: tile.chosen()
    }
}
