import QtQuick
import QtQuick.Shapes

// A rounded rectangle with a dashed outline (dash 8, gap 4, butt caps, miter joins).
Shape {
    id: outline

    property real cornerRadius: 16
    property color fillColor: "transparent"
    property color strokeColor: "white"
    property real strokeWidth: 1.5
    readonly property real edgeInset: strokeWidth / 2
    readonly property real edgeRight: width - edgeInset
    readonly property real edgeBottom: height - edgeInset

    ShapePath {
        fillColor: outline.fillColor
        strokeColor: outline.strokeColor
        strokeWidth: outline.strokeWidth
        strokeStyle: ShapePath.DashLine
        // The pattern counts in line widths.
        dashPattern: [8 / outline.strokeWidth, 4 / outline.strokeWidth]
        capStyle: ShapePath.FlatCap
        joinStyle: ShapePath.MiterJoin
        miterLimit: 10

        startX: outline.edgeInset + outline.cornerRadius
        startY: outline.edgeInset
        PathLine { x: outline.edgeRight - outline.cornerRadius; y: outline.edgeInset }
        PathArc { x: outline.edgeRight; y: outline.edgeInset + outline.cornerRadius; radiusX: outline.cornerRadius; radiusY: outline.cornerRadius }
        PathLine { x: outline.edgeRight; y: outline.edgeBottom - outline.cornerRadius }
        PathArc { x: outline.edgeRight - outline.cornerRadius; y: outline.edgeBottom; radiusX: outline.cornerRadius; radiusY: outline.cornerRadius }
        PathLine { x: outline.edgeInset + outline.cornerRadius; y: outline.edgeBottom }
        PathArc { x: outline.edgeInset; y: outline.edgeBottom - outline.cornerRadius; radiusX: outline.cornerRadius; radiusY: outline.cornerRadius }
        PathLine { x: outline.edgeInset; y: outline.edgeInset + outline.cornerRadius }
        PathArc { x: outline.edgeInset + outline.cornerRadius; y: outline.edgeInset; radiusX: outline.cornerRadius; radiusY: outline.cornerRadius }
    }
}
