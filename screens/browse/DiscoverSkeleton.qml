import QtQuick
import Lanto.Screens.Browse
import Lanto.Screens.State

// What the Discover page shows while the first catalogue load runs: a hero
// placeholder and three rows of five card placeholders, swept by a faint
// highlight that moves back and forth while it is on screen.
Column {
    id: skeleton

    // 0 or 1: the highlight's phase.
    property real shimmer: 0

    readonly property bool onScreen: skeleton.visible && WindowActivity.moving

    spacing: 32

    SequentialAnimation on shimmer {
        running: skeleton.onScreen
        loops: Animation.Infinite
        NumberAnimation { from: 0; to: 1; duration: 1200; easing.type: Easing.InOutQuad }
        NumberAnimation { from: 1; to: 0; duration: 1200; easing.type: Easing.InOutQuad }
    }

    component Shimmer: Rectangle {
        required property real phase
        radius: parent.radius
        color: Qt.rgba(1, 1, 1, 0.06)
        clip: true
        Rectangle {
            width: parent.width
            height: parent.height
            x: -200 + 400 * parent.phase
            opacity: parent.phase
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: "transparent" }
                GradientStop { position: 0.5; color: Qt.rgba(1, 1, 1, 0.05) }
                GradientStop { position: 1; color: "transparent" }
            }
        }
    }

    component Bar: Rectangle {
        required property real alpha
        color: Qt.rgba(1, 1, 1, alpha)
    }

    Shimmer {
        objectName: "heroPlaceholder"
        x: 32
        width: skeleton.width - 64
        height: 280
        radius: 16
        phase: skeleton.shimmer
    }

    Repeater {
        model: 3
        Column {
            objectName: "rowPlaceholder"
            spacing: 16
            Column {
                x: 32
                spacing: 6
                Bar { width: 140; height: 20; radius: 6; alpha: 0.08 }
                Bar { width: 200; height: 12; radius: 4; alpha: 0.04 }
            }
            Row {
                x: 32
                spacing: 16
                Repeater {
                    model: 5
                    Column {
                        objectName: "cardPlaceholder"
                        spacing: 8
                        Shimmer { width: 220; height: 140; radius: 14; phase: skeleton.shimmer }
                        Bar { width: 120; height: 12; radius: 4; alpha: 0.06 }
                        Bar { width: 80; height: 10; radius: 4; alpha: 0.04 }
                    }
                }
            }
        }
    }
}
