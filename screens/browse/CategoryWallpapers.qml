import QtQuick
import Lanto.Core
import Lanto.Screens.Browse
import Lanto.Screens.Wallpaper

// An open category's grid of cards under its tag bar, or, when the filters
// leave nothing (or nothing has arrived yet), the category's empty state.
WallpaperGrid {
    id: page

    required property CategoryBrowserModel browser

    objectName: "categoryGrid"
    model: browser
    topMargin: 2
    bottomMargin: 40

    // Cards the filters let in or out come and go with the gentle spring.
    add: Transition {
        NumberAnimation { property: "opacity"; from: 0; to: 1; duration: AppAnimation.gentle.response * 1000 }
    }
    displaced: Transition {
        SpringMotion { properties: "x,y"; preset: AppAnimation.gentle }
    }

    header: Column {
        width: page.width
        spacing: 16
        bottomPadding: 16

        // With the service away the page may show only what was cached: say so.
        CatalogueErrorNotice {
            objectName: "catalogueError"
            visible: page.browser.loadError !== ""
            width: parent.width
            reason: page.browser.loadError
            onRetry: page.browser.retry()
        }

        TagFilterBar {
            x: -page.pageInset
            width: page.page.width
            wallpapers: page.browser.categoryWallpapers
            selectedTagId: page.browser.selectedTagId
            onSelected: tagId => page.browser.selectedTagId = tagId
        }

        Column {
            objectName: "emptyCategory"
            visible: page.browser.count === 0
            x: -page.pageInset
            width: page.page.width
            topPadding: 60
            spacing: 8

            SymbolIcon {
                anchors.horizontalCenter: parent.horizontalCenter
                name: categories.iconOf(page.browser.category)
                pointSize: 32
                color: Qt.rgba(1, 1, 1, 0.2)
            }
            ReadText {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("No wallpapers yet")
                color: Qt.rgba(1, 1, 1, 0.4)
                font.pixelSize: 14
                font.weight: Font.Medium
            }
        }
        WallpaperCategoryModel { id: categories }
    }
}
