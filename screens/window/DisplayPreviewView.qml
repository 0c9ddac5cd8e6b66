import QtQuick
import Lanto.Core
import Lanto.Library
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper

// The strip of the floating panel: a tile per connected display, five at a time
// with arrows once there are six or more. A tile's click makes its display the
// target of the next apply.
Item {
    id: view

    required property WallpaperManager wallpaperManager
    required property bool compact
    // Handed in by the panel; nothing in the strip is tinted by it.
    required property var themeGradient

    width: strip.width
    height: strip.height
    Behavior on width { NumberAnimation { duration: 500; easing.type: Easing.OutCubic } }

    DisplayPreviewModel {
        id: displays
        wallpaperManager: view.wallpaperManager
    }
    DisplayStrip {
        id: strip
        displayCount: displays.count
        compact: view.compact
    }

    VibrancyBackgroundView {
        anchors.fill: parent
        cornerRadius: strip.cornerRadius
    }
    Row {
        anchors.centerIn: parent
        StripArrow {
            objectName: "backArrow"
            visible: strip.paging
            symbol: "chevron.backward"
            enabled: strip.canGoBack
            onActivated: strip.goBack()
        }
        Row {
            spacing: strip.gap
            anchors.bottom: parent.bottom
            Repeater {
                model: displays
                ScreenPreview {
                    required property int index
                    required property string screenKey
                    objectName: "tile" + screenKey
                    visible: index >= strip.firstShown && index < strip.endShown
                    compact: view.compact
                    onChosen: displays.select(index)
                }
            }
        }
        StripArrow {
            objectName: "forwardArrow"
            visible: strip.paging
            symbol: "chevron.forward"
            enabled: strip.canGoForward
            onActivated: strip.goForward()
        }
    }
}
