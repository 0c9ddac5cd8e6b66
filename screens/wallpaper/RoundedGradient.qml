import QtQuick

// A rounded rectangle filled with colors as a gradient from the top-leading to
// the bottom-trailing corner: one colour fills it, none leaves it clear. Takes no input.
Canvas {
    id: fill

    property var colors: []
    property real radius: 0

    enabled: false

    onColorsChanged: requestPaint()
    onRadiusChanged: requestPaint()
    onWidthChanged: requestPaint()
    onHeightChanged: requestPaint()

    onPaint: {
        const ctx = getContext("2d")
        ctx.reset()
        const count = colors ? colors.length : 0
        if (count === 0 || width <= 0 || height <= 0)
            return
        const gradient = ctx.createLinearGradient(0, 0, width, height)
        for (let i = 0; i < count; ++i)
            gradient.addColorStop(count === 1 ? 0 : i / (count - 1), colors[i])
        if (count === 1)
            gradient.addColorStop(1, colors[0])
        ctx.fillStyle = gradient
        ctx.beginPath()
        ctx.roundedRect(0, 0, width, height, radius, radius)
        ctx.fill()
    }
}
