import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper
import Lanto.Core

// A layer of the main window that appears and leaves by scaling from `hiddenScale`
// and fading with the bouncy spring; gone from input and drawing while hidden.
Item {
    required property bool shown
    property real hiddenScale: 0.95

    anchors.fill: parent
    opacity: shown ? 1 : 0
    scale: shown ? 1 : hiddenScale
    visible: opacity > 0
    enabled: shown

    Behavior on opacity { SpringMotion { preset: AppAnimation.bouncy } }
    Behavior on scale { SpringMotion { preset: AppAnimation.bouncy } }
}
