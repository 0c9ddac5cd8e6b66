import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper
import Lanto.Core
import Lanto.Screens.State

// The section's screen, and above it a creator's page and a wallpaper's detail
// page when the state asks for them. The screen stays built, hidden, while a
// page is open over it; it is built anew for each section.
Item {
    id: switcher

    required property AppState appState
    required property string section

    readonly property bool hasWallpaper: appState.selectedWallpaper.isValid
    readonly property bool hasCreator: appState.selectedCreator.isValid
    readonly property var screens: ({
        "Discover": "qrc:/Lanto/Screens/Browse/DiscoverView.qml",
        "Categories": "qrc:/Lanto/Screens/Browse/CategoriesView.qml",
        "Upload": "qrc:/Lanto/Screens/Profile/UploadView.qml",
        "Profile": "qrc:/Lanto/Screens/Profile/ProfileView.qml",
        "Settings": "qrc:/Lanto/Screens/Settings/SettingsView.qml"
    })

    clip: true

    PageLayer {
        objectName: "pane"
        shown: !switcher.hasWallpaper && !switcher.hasCreator
        Loader {
            id: pane
            anchors.fill: parent
            source: switcher.screens[switcher.section] ?? ""
            // A new section's screen arrives from 8 below.
            onLoaded: entrance.restart()
            transform: Translate { id: arrival }
            ParallelAnimation {
                id: entrance
                SpringMotion { target: pane; property: "opacity"; from: 0; to: 1; preset: AppAnimation.sectionChange }
                SpringMotion { target: arrival; property: "y"; from: 8; to: 0; preset: AppAnimation.sectionChange }
            }
        }
    }

    PageLayer {
        objectName: "creatorPage"
        shown: switcher.hasCreator && !switcher.hasWallpaper
        // Dropped once it has faded out.
        onVisibleChanged: if (!visible && !switcher.hasCreator) creatorPage.source = ""
        Loader {
            id: creatorPage
            anchors.fill: parent
        }
    }

    PageLayer {
        objectName: "detailPage"
        shown: switcher.hasWallpaper
        travel: 0
        onVisibleChanged: if (!visible && !switcher.hasWallpaper) detailPage.source = ""
        Loader {
            id: detailPage
            anchors.fill: parent
            onLoaded: item.dismiss.connect(() => switcher.appState.selectedWallpaper = undefined)
        }
    }

    // Each new wallpaper or creator gets a page of its own.
    function showCreator() {
        const creator = appState.selectedCreator
        if (creator.isValid)
            creatorPage.setSource("qrc:/Lanto/Screens/Profile/PublicProfileView.qml", { creator: creator })
    }
    function showWallpaper() {
        const wallpaper = appState.selectedWallpaper
        if (wallpaper.isValid)
            detailPage.setSource("qrc:/Lanto/Screens/Wallpaper/WallpaperDetailView.qml", { wallpaper: wallpaper })
    }
    Connections {
        target: switcher.appState
        function onSelectedCreatorChanged() { switcher.showCreator() }
        function onSelectedWallpaperChanged() { switcher.showWallpaper() }
    }
    Component.onCompleted: {
        showCreator()
        showWallpaper()
    }
}
