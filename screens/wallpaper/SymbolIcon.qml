import QtQuick

// The screens' one table of symbols: a small line-drawn symbol by name, tinted
// with color and sized like text of pointSize, heavier with weight. Drawn here
// rather than taken from a font, so none depends on what fonts a desktop has.
// Unknown names draw nothing. Takes no input.
Canvas {
    id: icon

    required property string name
    property color color: "white"
    property real pointSize: 13
    property int weight: Font.Medium

    // On a 24 by 24 grid; filled shapes are marked, and a filled shape's cut is
    // stroked out of it.
    readonly property var symbols: ({
        "checkmark": { d: "M5 12.5 L10 17.5 L19.5 6.5" },
        "heart": { d: "M12 20.5 C7 16.8 3 13.3 3 8.9 C3 6.1 5.2 4 7.8 4 C9.6 4 11.1 5 12 6.4 C12.9 5 14.4 4 16.2 4 C18.8 4 21 6.1 21 8.9 C21 13.3 17 16.8 12 20.5 Z" },
        "heart.fill": { d: "M12 20.5 C7 16.8 3 13.3 3 8.9 C3 6.1 5.2 4 7.8 4 C9.6 4 11.1 5 12 6.4 C12.9 5 14.4 4 16.2 4 C18.8 4 21 6.1 21 8.9 C21 13.3 17 16.8 12 20.5 Z", fill: true },
        "arrow.down.circle": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z M12 7 L12 16.5 M8 12.8 L12 16.8 L16 12.8" },
        "arrow.down.circle.fill": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z", fill: true, cut: "M12 7 L12 16.5 M8 12.8 L12 16.8 L16 12.8" },
        "checkmark.circle.fill": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z", fill: true, cut: "M7.5 12.5 L10.8 15.8 L16.5 8.8" },
        // The sidebar's sections and the window's cards.
        "folder": { d: "M3 5.5 L9.5 5.5 L11.5 8 L21 8 L21 19 L3 19 Z M3 10.5 L21 10.5" },
        "arrow.up.doc": { d: "M6 3 L14 3 L19 8 L19 21 L6 21 Z M14 3 L14 8 L19 8 M12.5 18 L12.5 10.5 M9.5 13.5 L12.5 10.5 L15.5 13.5" },
        "person.circle": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z M15 9.8 A3 3 0 1 1 9 9.8 A3 3 0 1 1 15 9.8 Z M6.4 18.3 C7.9 15.9 9.8 15 12 15 C14.2 15 16.1 15.9 17.6 18.3" },
        "gearshape": { d: "M17.5 12 A5.5 5.5 0 1 1 6.5 12 A5.5 5.5 0 1 1 17.5 12 Z M14.3 12 A2.3 2.3 0 1 1 9.7 12 A2.3 2.3 0 1 1 14.3 12 Z M12 2.5 L12 6.5 M12 17.5 L12 21.5 M2.5 12 L6.5 12 M17.5 12 L21.5 12 M5.3 5.3 L8.1 8.1 M15.9 15.9 L18.7 18.7 M5.3 18.7 L8.1 15.9 M15.9 8.1 L18.7 5.3" },
        "rectangle.portrait.and.arrow.right": { d: "M14 4 L5 4 L5 20 L14 20 M10 12 L21 12 M17.5 8.5 L21 12 L17.5 15.5" },
        "display": { d: "M3 4.5 L21 4.5 L21 16 L3 16 Z M9 20 L15 20 M12 16 L12 20" },
        "trash": { d: "M4 6.5 L20 6.5 M9.5 6.5 L9.5 4 L14.5 4 L14.5 6.5 M6 6.5 L7 20 L17 20 L18 6.5 M10 10.5 L10 16 M14 10.5 L14 16" },
        "trash.fill": { d: "M6 6.5 L7 20 L17 20 L18 6.5 Z M4 6.5 L20 6.5 M9.5 6.5 L9.5 4 L14.5 4 L14.5 6.5", fill: true, cut: "M10 10.5 L10 16 M14 10.5 L14 16" },
        "eye": { d: "M2.5 12 C5 7.5 8.3 5.5 12 5.5 C15.7 5.5 19 7.5 21.5 12 C19 16.5 15.7 18.5 12 18.5 C8.3 18.5 5 16.5 2.5 12 Z M15 12 A3 3 0 1 1 9 12 A3 3 0 1 1 15 12 Z" },
        "eye.slash": { d: "M2.5 12 C5 7.5 8.3 5.5 12 5.5 C15.7 5.5 19 7.5 21.5 12 C19 16.5 15.7 18.5 12 18.5 C8.3 18.5 5 16.5 2.5 12 Z M15 12 A3 3 0 1 1 9 12 A3 3 0 1 1 15 12 Z M4 3 L20 21" },
        "pencil": { d: "M4 20 L5 15.5 L15.5 5 L19 8.5 L8.5 19 Z M13.5 7 L17 10.5" },
        "globe": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z M3 12 L21 12 M12 3 C8.5 6.5 8.5 17.5 12 21 M12 3 C15.5 6.5 15.5 17.5 12 21" },
        "chevron.left": { d: "M15 4.5 L7.5 12 L15 19.5" },
        "wifi.slash": { d: "M2.5 9 C7.8 4.3 16.2 4.3 21.5 9 M5.5 12.3 C9.2 9.2 14.8 9.2 18.5 12.3 M8.7 15.6 C10.6 14.2 13.4 14.2 15.3 15.6 M12 19 L12 19.2 M4 3 L20 21" },
        "exclamationmark.triangle": { d: "M12 3.5 L21.5 20 L2.5 20 Z M12 9.5 L12 14.5 M12 17 L12 17.2" },
        "doc": { d: "M6 3 L14 3 L19 8 L19 21 L6 21 Z M14 3 L14 8 L19 8" },
        "4k.tv": { d: "M3 5 L21 5 L21 17 L3 17 Z M8 20.5 L16 20.5" },
        // The browsing pages' symbols and the category icons.
        "magnifyingglass": { d: "M16.5 10 A6.5 6.5 0 1 1 3.5 10 A6.5 6.5 0 1 1 16.5 10 Z M15 15 L20.5 20.5" },
        "xmark.circle.fill": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z M9 9 L15 15 M15 9 L9 15" },
        "sparkles": { d: "M12 3 L13.8 10.2 L21 12 L13.8 13.8 L12 21 L10.2 13.8 L3 12 L10.2 10.2 Z", fill: true },
        "clock": { d: "M21 12 A9 9 0 1 1 3 12 A9 9 0 1 1 21 12 Z M12 7 L12 12 L15.5 14" },
        "flame": { d: "M12 21 C8 21 5.5 18.3 5.5 14.8 C5.5 10.5 9.5 8.5 10 3.5 C13.5 5.5 14.5 8.5 14 10.5 C15.2 9.8 16 8.8 16.3 7.5 C18 9.5 18.5 12 18.5 14.8 C18.5 18.3 16 21 12 21 Z" },
        "square.grid.2x2": { d: "M4 4 L10 4 L10 10 L4 10 Z M14 4 L20 4 L20 10 L14 10 Z M4 14 L10 14 L10 20 L4 20 Z M14 14 L20 14 L20 20 L14 20 Z" },
        "chevron.down": { d: "M5 9 L12 16 L19 9" },
        "chevron.forward": { d: "M9 4.5 L16.5 12 L9 19.5" },
        "chevron.backward": { d: "M15 4.5 L7.5 12 L15 19.5" },
        "arrow.up": { d: "M12 20 L12 4 M6 10 L12 4 L18 10" },
        "arrow.down": { d: "M12 4 L12 20 M6 14 L12 20 L18 14" },
        "sparkles.tv": { d: "M3 6 L21 6 L21 18 L3 18 Z M8 21 L16 21 M12 8.5 L12.9 11.1 L15.5 12 L12.9 12.9 L12 15.5 L11.1 12.9 L8.5 12 L11.1 11.1 Z" },
        "pawprint.fill": { d: "M12 12 C15 12 18 15.5 18 18 C18 20 16 20.5 12 20.5 C8 20.5 6 20 6 18 C6 15.5 9 12 12 12 Z M6.5 7.5 A2 2 0 1 1 2.5 7.5 A2 2 0 1 1 6.5 7.5 Z M11 4.5 A2 2 0 1 1 7 4.5 A2 2 0 1 1 11 4.5 Z M17 4.5 A2 2 0 1 1 13 4.5 A2 2 0 1 1 17 4.5 Z M21.5 7.5 A2 2 0 1 1 17.5 7.5 A2 2 0 1 1 21.5 7.5 Z", fill: true },
        "pencil.and.outline": { d: "M4 17 L5 13 L14.5 3.5 L18 7 L8.5 16.5 Z M3 21 L21 21" },
        "gamecontroller.fill": { d: "M7 7 L17 7 C20 7 22 10 22 14 C22 17 20.5 18 19 18 C17.5 18 16.5 16 15.5 15 L8.5 15 C7.5 16 6.5 18 5 18 C3.5 18 2 17 2 14 C2 10 4 7 7 7 Z", fill: true },
        "film.stack": { d: "M4 8 L20 8 L20 20 L4 20 Z M6 5 L18 5 M8 2.5 L16 2.5 M8 8 L8 20 M16 8 L16 20" },
        "tv": { d: "M3 6 L21 6 L21 18 L3 18 Z M8 21 L16 21" },
        "leaf": { d: "M5 19 C5 10 10 5 20 4 C19 14 14 19 5 19 Z M5 19 L13 11" },
        "paintpalette.fill": { d: "M12 3 C7 3 3 7 3 12 C3 17 7 21 12 21 C13.5 21 14 20 13.5 18.8 C13 17.5 14 16 15.5 16 L17.5 16 C19.5 16 21 14.5 21 12.5 C21 7.3 17 3 12 3 Z", fill: true },
        "photo": { d: "M3 5 L21 5 L21 19 L3 19 Z M3 16 L8.5 10.5 L13 15 L16 12 L21 17 M17.5 8.5 A1.5 1.5 0 1 1 14.5 8.5 A1.5 1.5 0 1 1 17.5 8.5 Z" },
        "film": { d: "M4 4 L20 4 L20 20 L4 20 Z M8 4 L8 20 M16 4 L16 20 M4 9 L8 9 M4 15 L8 15 M16 9 L20 9 M16 15 L20 15" },
        "car.fill": { d: "M3 16 L3 12 L5.5 6.5 L18.5 6.5 L21 12 L21 16 Z M5 16 L5 19 L8 19 L8 16 Z M16 16 L16 19 L19 19 L19 16 Z", fill: true },
        "antenna.radiowaves.left.and.right": { d: "M12 10 L12 21 M8.5 6.5 C7.5 8.3 7.5 10.7 8.5 12.5 M15.5 6.5 C16.5 8.3 16.5 10.7 15.5 12.5 M5.5 4 C3.5 7.5 3.5 11.5 5.5 15 M18.5 4 C20.5 7.5 20.5 11.5 18.5 15" }
    })

    width: Math.round(pointSize * 1.3)
    height: width
    enabled: false

    onNameChanged: requestPaint()
    onColorChanged: requestPaint()
    onWeightChanged: requestPaint()
    onWidthChanged: requestPaint()
    onHeightChanged: requestPaint()
    // A size set before the canvas could paint (inside a loader) is painted once it can.
    onAvailableChanged: if (available) requestPaint()

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        const symbol = symbols[name]
        if (!symbol)
            return
        ctx.scale(width / 24, height / 24)
        ctx.path = symbol.d
        ctx.lineWidth = weight >= Font.Bold ? 2.6 : weight >= Font.DemiBold ? 2.2 : 1.9
        ctx.lineCap = "round"
        ctx.lineJoin = "round"
        if (symbol.fill) {
            ctx.fillStyle = color
            ctx.fill()
        } else {
            ctx.strokeStyle = color
            ctx.stroke()
        }
        if (symbol.cut) {
            ctx.globalCompositeOperation = "destination-out"
            ctx.strokeStyle = "black"
            ctx.path = symbol.cut
            ctx.stroke()
        }
    }
}
