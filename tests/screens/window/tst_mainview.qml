import QtQuick
import QtTest
import Lanto.Screens.Window
import Lanto.Screens.State
import Lanto.Test

// The main window: sidebar, content layers, confirmations and the toast.
// Test cases are not drawn themselves, so what they click lies on this stage.
Item {
    id: stage
    width: 1000
    height: 700

    TestCase {
        id: test
        name: "MainView"
        when: windowShown

        readonly property var state: AppEnvironment.appState

        Component { id: mainView; MainView { anchors.fill: parent } }
        Component {
            id: mirroredView
            Item {
                anchors.fill: parent
                LayoutMirroring.enabled: true
                LayoutMirroring.childrenInherit: true
                MainView { anchors.fill: parent }
            }
        }


        function init() {
            state.selectedSection = "Discover"
            state.selectedWallpaper = undefined
            state.selectedCreator = undefined
            state.cancelDeletion()
            state.showSignOutConfirm = false
            state.showEditProfile = false
        }

        // A test that signs in leaves the next one signed out, as it found it.
        function cleanup() {
            if (AppEnvironment.auth.isSignedIn)
                AppEnvironment.auth.signOut()
        }

        function test_sidebarRowClosesPagesAndSwitches() {
            TestRig.addCatalogueWallpapers(1)
            const view = createTemporaryObject(mainView, stage)
            state.openWallpaper(TestRig.catalogueWallpaper(1))
            const pane = findChild(view, "pane")
            tryCompare(pane, "enabled", false)
            mouseClick(findChild(view, "rowCategories"))
            compare(state.selectedSection, "Categories")
            verify(!state.selectedWallpaper.isValid)
            tryCompare(pane, "opacity", 1)

            // The row already selected still closes an open page.
            state.openWallpaper(TestRig.catalogueWallpaper(1))
            mouseClick(findChild(view, "rowCategories"))
            verify(!state.selectedWallpaper.isValid)
            compare(findChild(findChild(view, "rowProfile"), "label").text, "Profile")
        }

        function test_detailPageCoversTheCreatorPage() {
            TestRig.addCatalogueWallpapers(1)
            const view = createTemporaryObject(mainView, stage)
            const wallpaper = TestRig.catalogueWallpaper(1)
            state.openCreatorFromWallpaper(wallpaper)
            const creatorPage = findChild(view, "creatorPage")
            tryCompare(creatorPage, "enabled", true)
            state.selectedWallpaper = wallpaper
            compare(creatorPage.enabled, false)
            tryCompare(creatorPage, "opacity", 0)
            compare(findChild(view, "detailPage").enabled, true)
            compare(findChild(view, "pane").enabled, false)
            state.selectedWallpaper = undefined
            tryCompare(creatorPage, "opacity", 1)
        }

        function test_detailPageClosesThroughItsDismiss() {
            TestRig.addCatalogueWallpapers(1)
            const view = createTemporaryObject(mainView, stage)
            state.openWallpaper(TestRig.catalogueWallpaper(1))
            const loader = findChild(view, "detailPage").children[0]
            tryVerify(() => loader.item !== null)
            compare(loader.item.wallpaper.id, TestRig.catalogueWallpaper(1).id)
            loader.item.dismiss()
            verify(!state.selectedWallpaper.isValid)
        }

        function test_profileEditorClosesThroughItsDismiss() {
            const view = createTemporaryObject(mainView, stage)
            state.showEditProfile = true
            const editor = findChild(view, "profileEditor")
            tryVerify(() => editor.item !== null)
            editor.item.dismiss()
            verify(!state.showEditProfile)
        }

        function test_dimmingClosesWithoutConfirming() {
            TestRig.addCatalogueWallpapers(1)
            const view = createTemporaryObject(mainView, stage)
            let removed = false
            state.requestDeletion([TestRig.catalogueWallpaper(1)], function() { removed = true })
            const card = findChild(view, "removeConfirmation")
            tryCompare(card, "opacity", 1)
            compare(card.title, "Remove Wallpaper?")
            mouseClick(view, 20, 20)
            verify(!state.hasDeleteConfirmation)
            verify(!removed)
            tryCompare(card, "visible", false)
        }

        function test_removeRunsTheRequestersAction() {
            TestRig.addCatalogueWallpapers(2)
            const view = createTemporaryObject(mainView, stage)
            let removed = 0
            state.requestDeletion([TestRig.catalogueWallpaper(1), TestRig.catalogueWallpaper(2)], function() { ++removed })
            const card = findChild(view, "removeConfirmation")
            compare(card.title, "Remove 2 Wallpapers?")
            tryCompare(card, "opacity", 1)
            mouseClick(findChild(card, "confirmButton"))
            compare(removed, 1)
            verify(!state.hasDeleteConfirmation)
        }

        function test_signOutClosesTheCard() {
            const view = createTemporaryObject(mainView, stage)
            state.showSignOutConfirm = true
            const card = findChild(view, "signOutConfirmation")
            tryCompare(card, "opacity", 1)
            mouseClick(findChild(card, "cancelButton"))
            verify(!state.showSignOutConfirm)
            state.showSignOutConfirm = true
            tryCompare(card, "opacity", 1)
            mouseClick(findChild(card, "confirmButton"))
            verify(!state.showSignOutConfirm)
            verify(!AppEnvironment.auth.isSignedIn)
        }

        function test_toastShowsTheMessageAndLeaves_data() {
            return [
                { tag: "applied", message: "Dunes applied", failure: false, icon: "checkmark.circle.fill" },
                { tag: "failed", message: "Couldn't download \u201cDunes\u201d. Check your connection and try again.",
                  failure: true, icon: "exclamationmark.triangle" },
            ]
        }
        function test_toastShowsTheMessageAndLeaves(data) {
            const view = createTemporaryObject(mainView, stage)
            if (data.failure)
                state.showFailureToast(data.message)
            else
                state.showToast(data.message)
            const capsule = findChild(view, "toastCapsule")
            tryCompare(capsule, "opacity", 1)
            compare(findChild(view, "toastText").text, data.message)
            compare(findChild(view, "toastIcon").name, data.icon)
            compare(capsule.Accessible.role, Accessible.AlertMessage)
            compare(capsule.Accessible.name, data.message)
            TestRig.advance(2000)
            tryCompare(capsule, "visible", false)
            // The text and its kind stay while it fades.
            compare(findChild(view, "toastText").text, data.message)
            compare(findChild(view, "toastIcon").name, data.icon)
        }

        // A message wider than the window wraps to a second line, one longer still
        // is elided there; the capsule, its icon and its text stay inside the
        // window, in both directions.
        function test_longToastStaysInsideTheWindow_data() {
            return [{ tag: "200 characters", view: mainView, length: 200, truncated: false },
                    { tag: "400 characters", view: mainView, length: 400, truncated: true },
                    { tag: "right to left", view: mirroredView, length: 400, truncated: true }]
        }
        function test_longToastStaysInsideTheWindow(data) {
            const view = createTemporaryObject(data.view, stage)
            state.showFailureToast(("Couldn't download \u201c" + "Lighthouse ".repeat(40)).substring(0, data.length))
            const capsule = findChild(view, "toastCapsule")
            tryCompare(capsule, "opacity", 1)
            const text = findChild(view, "toastText")
            compare(text.truncated, data.truncated)
            compare(text.lineCount, 2)
            const box = capsule.mapToItem(stage, 0, 0, capsule.width, capsule.height)
            verify(box.x >= 32 && box.x + box.width <= stage.width - 32, JSON.stringify(box))
            for (const part of [findChild(view, "toastIcon"), text]) {
                const inner = part.mapToItem(capsule, 0, 0, part.width, part.height)
                verify(inner.x >= 0 && inner.x + inner.width <= capsule.width
                       && inner.y >= 0 && inner.y + inner.height <= capsule.height, JSON.stringify(inner))
            }
        }

        function test_panelShownOnlyWithTwoDisplays() {
            TestRig.signIn("a1b2c3", "Ann")
            createTemporaryObject(mainView, stage)
            tryCompare(FloatingMonitorWindowManager, "isAttached", true)
            TestRig.connectDisplays(1)
            compare(FloatingMonitorWindowManager.isVisible, false)
            TestRig.connectDisplays(2)
            compare(FloatingMonitorWindowManager.isVisible, true)
            TestRig.connectDisplays(1)
            compare(FloatingMonitorWindowManager.isVisible, false)
        }

        function test_rightToLeftPutsTheSidebarOnTheRight() {
            const holder = createTemporaryObject(mirroredView, stage)
            const sidebar = findChild(holder, "sidebar")
            compare(sidebar.x, stage.width - sidebar.width)
            compare(findChild(holder, "contentSwitcher").x, 0)
        }

        // After sign-out the old view's panel goes; the next view gets a panel of its own.
        function test_panelGoesWithTheSignedInView() {
            TestRig.signIn("a1b2c3", "Ann")
            TestRig.connectDisplays(2)
            let view = createTemporaryObject(mainView, stage)
            tryCompare(FloatingMonitorWindowManager, "isAttached", true)
            compare(FloatingMonitorWindowManager.isVisible, true)
            AppEnvironment.auth.signOut()
            compare(FloatingMonitorWindowManager.isVisible, false)
            view.destroy()
            tryCompare(FloatingMonitorWindowManager, "isAttached", false)

            TestRig.signIn("a1b2c3", "Ann")
            view = createTemporaryObject(mainView, stage)
            tryCompare(FloatingMonitorWindowManager, "isAttached", true)
            compare(FloatingMonitorWindowManager.isVisible, true)
            TestRig.connectDisplays(1)
            compare(FloatingMonitorWindowManager.isVisible, false)
        }
    }
}
