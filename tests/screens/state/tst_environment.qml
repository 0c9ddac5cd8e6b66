import QtQuick
import QtTest
import Lanto.Screens.State
import Lanto.Test

// What every screen leans on: the environment's objects and the record types as QML sees them.
TestCase {
    name: "Environment"

    function test_navigationThroughState() {
        TestRig.addCatalogueWallpapers(2)
        const state = AppEnvironment.appState
        const wallpaper = TestRig.catalogueWallpaper(1)
        verify(wallpaper.isValid)
        compare(wallpaper.cloudID, wallpaper.hexID)
        compare(AppEnvironment.wallpaperManager.allWallpapers.count, 2)
        state.openWallpaper(wallpaper)
        compare(state.selectedWallpaper.id, wallpaper.id)
        state.selectedWallpaper = undefined
        verify(!state.selectedWallpaper.isValid)
        state.selectedSection = "Categories"
        compare(state.selectedSection, "Categories")
        compare(SidebarSections.all.length, 5)
    }

    function test_toastClearsAfterTwoSeconds() {
        const state = AppEnvironment.appState
        state.showToast("Applied")
        compare(state.toastMessage, "Applied")
        TestRig.advance(2000)
        compare(state.toastMessage, "")
    }
}
