import QtQuick
import Lanto.Screens.Browse
import Lanto.Core
import Lanto.Library
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The Categories pane: the twelve category cards, or one open category's
// wallpapers with its tag bar, search, sort and ultra-wide filter. Every
// visit starts afresh; a category another page asked for opens at once.
Item {
    id: view

    readonly property AppState appState: AppEnvironment.appState
    readonly property WallpaperManager manager: AppEnvironment.wallpaperManager
    readonly property bool isOpen: categoryBrowser.category !== ""
    // Pages come in from the side they lead to, mirrored right to left.
    readonly property real slide: LayoutMirroring.enabled ? -20 : 20

    CategoryBrowserModel {
        id: categoryBrowser
        manager: view.manager
    }

    Component.onCompleted: {
        const pending = appState.pendingCategory
        if (pending !== "") {
            appState.pendingCategory = undefined
            categoryBrowser.category = pending
        }
    }

    CategoryHeader {
        id: header
        width: view.width
        browser: categoryBrowser
        onBackClicked: categoryBrowser.closeCategory()
    }

    Loader {
        id: region
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        width: view.width
        sourceComponent: view.isOpen ? wallpaperPage : cardPage
        onLoaded: entrance.restart()

        ParallelAnimation {
            id: entrance
            NumberAnimation {
                target: region.item
                property: "x"
                from: view.isOpen ? view.slide : -view.slide
                to: 0
                duration: AppAnimation.smooth.response * 1000
                easing.type: Easing.OutCubic
            }
            NumberAnimation {
                target: region.item
                property: "opacity"
                from: 0
                to: 1
                duration: AppAnimation.smooth.response * 1000
            }
        }
    }

    Component {
        id: cardPage
        Flickable {
            id: cardScroller
            contentHeight: cards.height + 64 + 40
            boundsBehavior: Flickable.StopAtBounds
            clip: true
            FocusFollower { flickable: cardScroller }
            CategoryCardGrid {
                id: cards
                x: 32
                y: 32
                width: view.width - 64
                columns: 3
                onOpened: category => categoryBrowser.category = category
            }
        }
    }

    Component {
        id: wallpaperPage
        Item {
            CategoryWallpapers {
                page: parent
                browser: categoryBrowser
            }
        }
    }
}
