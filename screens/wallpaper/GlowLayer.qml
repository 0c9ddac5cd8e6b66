import QtQuick
import Lanto.Screens.Wallpaper

// One slowly turning glow of the live background: blurred once, then only
// turned about its anchor by the background's clock. Geometry is in fractions
// of the field. Takes no input.
BlurredGlow {
    id: glow

    required property real anchorX
    required property real anchorY
    required property real startAngle // degrees
    required property real fieldX
    required property real fieldY
    required property real fieldWidth
    required property real fieldHeight
    // Degrees turned since the background began.
    property real turned: 0

    blurRadius: 12
    width: parent.width * fieldWidth
    height: parent.height * fieldHeight
    x: parent.width * fieldX - anchorX * width
    y: parent.height * fieldY - anchorY * height
    enabled: false
    transform: Rotation {
        origin.x: glow.anchorX * glow.width
        origin.y: glow.anchorY * glow.height
        angle: glow.startAngle + glow.turned
    }
}
