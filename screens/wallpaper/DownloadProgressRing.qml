import QtQuick
import QtQuick.Shapes

// A download's progress as a ring: a faint track and a white arc from the top,
// clockwise, that follows progress (0 to 1, not clamped) over 0.2 s. Takes no input.
Item {
    id: ring

    required property real progress
    required property real size

    property real shownProgress: progress
    Behavior on shownProgress {
        NumberAnimation {
            duration: 200
            easing.type: Easing.Linear
        }
    }

    width: size
    height: size
    enabled: false

    Shape {
        anchors.fill: parent
        layer.enabled: true
        layer.samples: 4

        ShapePath {
            strokeColor: Qt.rgba(1, 1, 1, 0.2)
            strokeWidth: 2
            fillColor: "transparent"
            capStyle: ShapePath.FlatCap
            PathAngleArc {
                centerX: ring.size / 2
                centerY: ring.size / 2
                radiusX: (ring.size - 2) / 2
                radiusY: (ring.size - 2) / 2
                startAngle: 0
                sweepAngle: 360
            }
        }
        ShapePath {
            strokeColor: "white"
            strokeWidth: 2
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            PathAngleArc {
                centerX: ring.size / 2
                centerY: ring.size / 2
                radiusX: (ring.size - 2) / 2
                radiusY: (ring.size - 2) / 2
                startAngle: -90
                sweepAngle: 360 * ring.shownProgress
            }
        }
    }
}
