import QtQuick
import Lanto.Screens.Window
import Lanto.Library

// The floating panel's content: the display preview centred in the 600 x 200
// panel. Only the strip and the name labels above it take the pointer.
Item {
    id: dock

    required property WallpaperManager wallpaperManager
    required property var themeGradient
    required property bool compact

    width: 600
    height: 200

    DisplayPreviewView {
        id: preview
        anchors.centerIn: parent
        wallpaperManager: dock.wallpaperManager
        themeGradient: dock.themeGradient
        compact: dock.compact
    }
    // Room for the name labels that stand above the tiles.
    Binding {
        target: dock.Window.window
        when: dock.Window.window !== null
        property: "interactiveArea"
        value: Qt.rect(preview.x, preview.y - 40, preview.width, preview.height + 40)
    }
}
