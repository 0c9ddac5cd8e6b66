import QtQuick

// A small line-drawn symbol by name, tinted with color and sized like text of
// pointSize, heavier with weight. Unknown names draw nothing. Takes no input.
Canvas {
    id: icon

    required property string name
    property color color: "white"
    property real pointSize: 13
    property int weight: Font.Medium

    // On a 24 by 24 grid; filled shapes are marked.
    readonly property var symbols: ({
        "checkmark": { d: "M5 12.5 L10 17.5 L19.5 6.5" },
        "heart": { d: "M12 20.5 C7 16.8 3 13.3 3 8.9 C3 6.1 5.2 4 7.8 4 C9.6 4 11.1 5 12 6.4 C12.9 5 14.4 4 16.2 4 C18.8 4 21 6.1 21 8.9 C21 13.3 17 16.8 12 20.5 Z" },
        "heart.fill": { d: "M12 20.5 C7 16.8 3 13.3 3 8.9 C3 6.1 5.2 4 7.8 4 C9.6 4 11.1 5 12 6.4 C12.9 5 14.4 4 16.2 4 C18.8 4 21 6.1 21 8.9 C21 13.3 17 16.8 12 20.5 Z", fill: true },
        "arrow.down.circle": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z M12 7 L12 16.5 M8 12.8 L12 16.8 L16 12.8" },
        "display": { d: "M3 4.5 L21 4.5 L21 16 L3 16 Z M9 20 L15 20 M12 16 L12 20" },
        "trash": { d: "M4 6.5 L20 6.5 M9.5 6.5 L9.5 4 L14.5 4 L14.5 6.5 M6 6.5 L7 20 L17 20 L18 6.5 M10 10.5 L10 16 M14 10.5 L14 16" },
        "pencil": { d: "M4 20 L5 15.5 L15.5 5 L19 8.5 L8.5 19 Z M13.5 7 L17 10.5" },
        "globe": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z M3 12 L21 12 M12 3 C8.5 6.5 8.5 17.5 12 21 M12 3 C15.5 6.5 15.5 17.5 12 21" },
        "chevron.left": { d: "M15 4.5 L7.5 12 L15 19.5" },
        "wifi.slash": { d: "M2.5 9 C7.8 4.3 16.2 4.3 21.5 9 M5.5 12.3 C9.2 9.2 14.8 9.2 18.5 12.3 M8.7 15.6 C10.6 14.2 13.4 14.2 15.3 15.6 M12 19 L12 19.2 M4 3 L20 21" },
        "doc": { d: "M6 3 L14 3 L19 8 L19 21 L6 21 Z M14 3 L14 8 L19 8" },
        "4k.tv": { d: "M3 5 L21 5 L21 17 L3 17 Z M8 20.5 L16 20.5" }
    })

    width: Math.round(pointSize * 1.3)
    height: width
    enabled: false

    onNameChanged: requestPaint()
    onColorChanged: requestPaint()
    onWeightChanged: requestPaint()
    onWidthChanged: requestPaint()

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        const symbol = symbols[name]
        if (!symbol)
            return
        ctx.scale(width / 24, height / 24)
        ctx.path = symbol.d
        if (symbol.fill) {
            ctx.fillStyle = color
            ctx.fill()
        } else {
            ctx.strokeStyle = color
            ctx.lineWidth = weight >= Font.Bold ? 2.6 : weight >= Font.DemiBold ? 2.2 : 1.9
            ctx.lineCap = "round"
            ctx.lineJoin = "round"
            ctx.stroke()
        }
    }
}
