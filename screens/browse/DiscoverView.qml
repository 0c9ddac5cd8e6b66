import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Screens.Browse
import Lanto.Library
import Lanto.Screens.State

// The first pane of the main window. Anything but spaces in the search field
// shows the library's matches; otherwise the curated page. The search text
// lives in the app state, so it outlasts the page.
Item {
    id: discover

    readonly property AppState appState: AppEnvironment.appState
    readonly property WallpaperManager manager: AppEnvironment.wallpaperManager
    readonly property bool isSearching: discoverSearch.isSearching

    DiscoverSearch {
        id: discoverSearch
        manager: discover.manager
        text: discover.appState.searchText
    }

    // Unsized, so the pages keep the sizes they give themselves.
    Loader {
        id: body
        sourceComponent: discoverSearch.isSearching ? resultsPage : browsePage
    }

    Component {
        id: resultsPage
        DiscoverResults {
            page: discover
            search: discoverSearch
            topMargin: searchHeader.height + 32
        }
    }

    Component {
        id: browsePage
        DiscoverBrowse {
            width: discover.width
            height: discover.height
            topMargin: searchHeader.height + 32
        }
    }

    // The search header scrolls away with whichever page is shown.
    Item {
        id: searchHeader
        width: parent.width
        height: 52 + field.height
        y: body.item ? body.item.originY - body.item.contentY - body.item.topMargin : 0

        SearchField {
            id: field
            objectName: "discoverSearch"
            anchors.right: parent.right
            anchors.rightMargin: 32
            anchors.bottom: parent.bottom
            text: discover.appState.searchText
            clearable: discoverSearch.isSearching
            accessibleName: qsTr("Search wallpapers")
            onEdited: text => discover.appState.searchText = text
        }
    }
}
