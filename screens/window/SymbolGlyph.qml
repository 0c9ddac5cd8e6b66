import QtQuick
import Lanto.Screens.Window

// A system symbol by its name, drawn as the nearest glyph of the system font.
Text {
    required property string symbol
    property real pointSize: 15

    readonly property var glyphs: ({
        "sparkles": "\u2726",
        "folder": "\u25a6",
        "arrow.up.doc": "\u2b06",
        "person.circle": "\u263a",
        "gearshape": "\u2699",
        "trash": "\u2716",
        "rectangle.portrait.and.arrow.right": "\u21aa",
        "checkmark.circle.fill": "\u2714",
        "arrow.down.circle.fill": "\u2b07",
        "chevron.backward": "\u276e",
        "chevron.forward": "\u276f"
    })

    text: glyphs[symbol] ?? ""
    font.pixelSize: pointSize
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
