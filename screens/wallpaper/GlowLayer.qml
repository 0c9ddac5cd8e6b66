import QtQuick
import Qt5Compat.GraphicalEffects

// One slowly turning radial glow of the live background: colour at strength,
// faint in the middle and strongest at its rim, turning once every 16.667 s
// about its anchor. Geometry is in fractions of the field. Takes no input.
RadialGradient {
    id: glow

    required property color colour
    required property real strength
    required property real anchorX
    required property real anchorY
    required property real startAngle // degrees
    required property real fieldX
    required property real fieldY
    required property real fieldWidth
    required property real fieldHeight

    // Stop locations and their strengths, from the rim inwards.
    readonly property var locations: [1.0, 0.99, 0.96, 0.92, 0.85, 0.77, 0.67, 0.56, 0.44, 0.33, 0.23, 0.15, 0.08, 0.04, 0.01, 0.0]
    readonly property var strengths: [1.0, 0.97, 0.91, 0.83, 0.72, 0.6, 0.47, 0.35, 0.24, 0.16, 0.1, 0.06, 0.03, 0.015, 0.005, 0.0]

    function stopColour(k) { return Qt.rgba(colour.r, colour.g, colour.b, strength * strengths[k]) }

    width: parent.width * fieldWidth
    height: parent.height * fieldHeight
    x: parent.width * fieldX - anchorX * width
    y: parent.height * fieldY - anchorY * height
    enabled: false
    transform: Rotation {
        id: turn
        origin.x: glow.anchorX * glow.width
        origin.y: glow.anchorY * glow.height
        angle: glow.startAngle
    }

    RotationAnimation {
        objectName: "rotation"
        target: turn
        property: "angle"
        from: glow.startAngle
        to: glow.startAngle + 360
        duration: 16667
        loops: Animation.Infinite
        running: true
        direction: RotationAnimation.Clockwise
    }

    gradient: Gradient {
        GradientStop { position: 0.0; color: glow.stopColour(15) }
        GradientStop { position: 0.01; color: glow.stopColour(14) }
        GradientStop { position: 0.04; color: glow.stopColour(13) }
        GradientStop { position: 0.08; color: glow.stopColour(12) }
        GradientStop { position: 0.15; color: glow.stopColour(11) }
        GradientStop { position: 0.23; color: glow.stopColour(10) }
        GradientStop { position: 0.33; color: glow.stopColour(9) }
        GradientStop { position: 0.44; color: glow.stopColour(8) }
        GradientStop { position: 0.56; color: glow.stopColour(7) }
        GradientStop { position: 0.67; color: glow.stopColour(6) }
        GradientStop { position: 0.77; color: glow.stopColour(5) }
        GradientStop { position: 0.85; color: glow.stopColour(4) }
        GradientStop { position: 0.92; color: glow.stopColour(3) }
        GradientStop { position: 0.96; color: glow.stopColour(2) }
        GradientStop { position: 0.99; color: glow.stopColour(1) }
        GradientStop { position: 1.0; color: glow.stopColour(0) }
    }
}
