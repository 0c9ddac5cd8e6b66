import QtQuick

// The dark backdrop of the splash, welcome and handle set-up screens: one
// gradient from the top-leading to the bottom-trailing corner. Rectangle
// gradients run only along an axis, so a square as wide as the diagonal is
// turned until its axis points from corner to corner; its edges then meet
// those two corners exactly.
Item {
    clip: true

    Rectangle {
        readonly property real diagonal: Math.hypot(parent.width, parent.height)

        anchors.centerIn: parent
        width: diagonal
        height: diagonal
        rotation: -Math.atan2(parent.width, parent.height) * 180 / Math.PI
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(0.06, 0.06, 0.12, 1) }
            GradientStop { position: 0.5; color: Qt.rgba(0.08, 0.05, 0.14, 1) }
            GradientStop { position: 1.0; color: Qt.rgba(0.04, 0.04, 0.08, 1) }
        }
    }
}
