import QtQuick
import Lanto.Core
import Lanto.Screens.Browse
import Lanto.Screens.Wallpaper

// A scrolling grid of wallpaper cards: as many 220-point columns as fit, 16
// apart, rows 24 apart, centred within the page's 32-point margins. Cards are
// made only as they scroll into view; whatever scrolls above them is the
// header, which spans the page through pageInset.
GridView {
    id: grid

    // The page the grid is centred in.
    required property Item page
    readonly property int columns: Math.max(1, Math.floor((page.width - 64 + 16) / (220 + 16)))
    // From the grid's left edge back to the page's.
    readonly property real pageInset: x
    property real cardHeight: 200

    // A screen reader hears the cards as a list.
    Accessible.role: Accessible.List

    x: (page.width - columns * cellWidth + 16) / 2
    width: columns * cellWidth
    height: page.height
    cellWidth: 220 + 16
    cellHeight: cardHeight + 24
    boundsBehavior: Flickable.StopAtBounds

    FocusFollower { flickable: grid }

    delegate: Item {
        required property wallpaper wallpaper
        required property int index
        width: grid.cellWidth
        height: grid.cellHeight

        WallpaperCard {
            wallpaper: parent.wallpaper
            Component.onCompleted: {
                if (parent.index === 0)
                    grid.cardHeight = implicitHeight
            }
        }
    }
}
