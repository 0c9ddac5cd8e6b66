import QtQuick
import QtTest
import Lanto.Screens.Window
import Lanto.Screens.State
import Lanto.Test

// The display strip: a tile per display, paging past five, clicks choose a display.
// Test cases are not drawn themselves, so what they click lies on this stage.
Item {
    id: stage
    width: 700
    height: 200

    TestCase {
        id: test
        name: "DisplayPreview"
        when: windowShown

        Component {
            id: preview
            DisplayPreviewView {
                wallpaperManager: AppEnvironment.wallpaperManager
                compact: false
                themeGradient: []
            }
        }


        function test_tilesAndSelection() {
            TestRig.addCatalogueWallpapers(1)
            TestRig.connectDisplays(2, 1)
            const strip = createTemporaryObject(preview, stage)
            tryCompare(strip, "width", 234)
            const main = findChild(strip, "tile1")
            const second = findChild(strip, "tile2")
            compare(main.name, "Main Display")
            compare(second.name, "Display 2")
            compare(second.previewColors.length, TestRig.catalogueWallpaper(1).previewColors.length)
            compare(findChild(strip, "backArrow").visible, false)

            mouseClick(second)
            compare(AppEnvironment.wallpaperManager.selectedScreenKey, "2")
            compare(second.isSelected, true)
            compare(main.isSelected, false)
            tryCompare(findChild(second, "picture"), "width", 76.32)
        }

        function test_nameLabelShowsAtFirstThenOnHover() {
            TestRig.connectDisplays(2)
            const strip = createTemporaryObject(preview, stage)
            const tile = findChild(strip, "tile2")
            const label = findChild(tile, "nameLabel")
            compare(label.opacity, 1)
            tryCompare(label, "opacity", 0, 4000)
            mouseMove(tile, tile.width / 2, tile.height / 2)
            tryCompare(label, "opacity", 1)
        }

        function test_pagingPastFiveDisplays() {
            TestRig.connectDisplays(6)
            const strip = createTemporaryObject(preview, stage)
            tryCompare(strip, "width", 596)
            const back = findChild(strip, "backArrow")
            const forward = findChild(strip, "forwardArrow")
            compare(back.enabled, false)
            compare(forward.enabled, true)
            compare(findChild(strip, "tile6").visible, false)
            compare(forward.Accessible.name, "Next Displays")
            back.Accessible.pressAction() // a screen reader's press of the dimmed arrow does nothing
            compare(findChild(strip, "tile1").visible, true)
            mouseClick(forward)
            compare(findChild(strip, "tile1").visible, false)
            compare(findChild(strip, "tile6").visible, true)
            compare(forward.enabled, false)
            compare(back.enabled, true)
        }
    }
}
