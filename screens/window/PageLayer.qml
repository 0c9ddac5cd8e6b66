import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper
import Lanto.Core

// A full-size layer of the content: fades in while rising from 8 below, and
// fades out while sinking again. Hidden layers take no input but stay built.
Item {
    id: layer

    property bool shown: true
    property real travel: 8
    property spring preset: AppAnimation.sectionChange

    anchors.fill: parent
    opacity: shown ? 1 : 0
    enabled: shown
    visible: opacity > 0

    transform: Translate {
        y: layer.shown ? 0 : layer.travel
        Behavior on y { SpringMotion { preset: layer.preset } }
    }
    Behavior on opacity { SpringMotion { preset: layer.preset } }
}
