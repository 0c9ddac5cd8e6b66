import QtQuick
import QtTest
import Lanto.Core
import Lanto.Screens.State
import Lanto.Screens.Wallpaper
import Lanto.Test

// The detail page: the record it shows, what it offers for each kind of item, and its actions.
Item {
    id: stage
    width: 1000
    height: 900

TestCase {
    id: test
    name: "WallpaperDetailView"
    when: windowShown

    Component {
        id: pageMaker
        WallpaperDetailView {
            anchors.fill: parent
        }
    }

    Component {
        id: sizedPageMaker
        WallpaperDetailView {}
    }

    property int nextItem: 300
    property int nextOwn: 0

    function freshWallpaper() {
        nextItem += 1
        TestRig.addCatalogueWallpapers(nextItem)
        return TestRig.catalogueWallpaper(nextItem)
    }
    function ownVideo(status) {
        nextOwn += 1
        return TestRig.importOwnVideo("d0d0" + nextOwn + "00", status)
    }
    function makePage(wallpaper) {
        AppEnvironment.appState.selectedWallpaper = wallpaper
        const page = createTemporaryObject(pageMaker, stage, { wallpaper: wallpaper })
        verify(page)
        return page
    }
    function child(item, name) {
        const found = findChild(item, name)
        verify(found, name)
        return found
    }

    function cleanup() {
        AppEnvironment.appState.cancelDeletion()
        AppEnvironment.appState.selectedWallpaper = undefined
    }

    function test_longTitleStaysClearOfTheButtons() {
        const own = ownVideo("")
        const page = makePage(own)
        const title = child(page, "detailTitle")
        mouseClick(child(page, "pencil"))
        const field = child(page, "renameField")
        field.text = "A very long title made from a file name ".repeat(6)
        field.accepted()
        tryVerify(() => title.text.length > 200)
        verify(title.visible)
        verify(title.height > 0)
        verify(title.lineCount <= 2)
        const buttons = child(page, "detailActions")
        const titleRight = title.mapToItem(page, title.width, 0).x
        verify(titleRight <= buttons.mapToItem(page, 0, 0).x, "the title runs under the buttons")
    }

    function test_renameTrimsAndIgnoresBlanks() {
        const own = ownVideo("")
        const page = makePage(own)
        const title = child(page, "detailTitle")
        compare(title.text, own.title)
        const field = child(page, "renameField")
        mouseClick(child(page, "pencil"))
        verify(field.visible)
        compare(field.text, own.title)
        field.text = "   "
        field.accepted()
        verify(!field.visible)
        compare(title.text, own.title)

        mouseClick(child(page, "pencil"))
        field.text = "  Sea at dusk \n"
        field.accepted()
        tryCompare(title, "text", "Sea at dusk")
        compare(AppEnvironment.appState.selectedWallpaper.title, "Sea at dusk")
    }

    function test_escapeLeavesRenaming() {
        const page = makePage(ownVideo(""))
        mouseClick(child(page, "pencil"))
        const field = child(page, "renameField")
        tryVerify(() => field.activeFocus)
        keyClick(Qt.Key_Escape)
        verify(!field.visible)
    }

    function test_ownItemOffers_data() {
        return [
            { tag: "never submitted", status: "", pencil: true, badge: "", makePublic: true },
            { tag: "rejected", status: "rejected", pencil: true, badge: "Rejected", makePublic: false },
            { tag: "pending", status: "pending", pencil: false, badge: "Pending Review", makePublic: false },
            { tag: "public", status: "approved", pencil: false, badge: "Public", makePublic: false },
        ]
    }
    function test_ownItemOffers(data) {
        const page = makePage(ownVideo(data.status))
        compare(child(page, "pencil").visible, data.pencil)
        compare(child(page, "badgeText").text, data.badge)
        compare(child(page, "makePublicButton").visible, data.makePublic)
    }

    function test_catalogueItemOffersNoRenameNorPublish() {
        const page = makePage(freshWallpaper())
        verify(!child(page, "pencil").visible)
        verify(!child(page, "makePublicButton").visible)
        verify(!child(page, "deleteButton").visible)
    }

    function test_downloadThenActiveThenDelete() {
        const wallpaper = freshWallpaper()
        const page = makePage(wallpaper)
        const apply = child(page, "detailApplyButton")
        const label = child(page, "applyLabel")
        compare(label.text, "Download")
        mouseClick(apply)
        tryVerify(() => TestRig.pendingDownloads() === 1)
        compare(label.text, "Downloading")
        verify(!apply.enabled)
        TestRig.finishDownload(wallpaper)
        tryCompare(label, "text", "Active")
        // The active wallpaper cannot be deleted.
        verify(!child(page, "deleteButton").visible)
    }

    function test_deletingOwnItemClosesThePage_data() {
        return [ { tag: "own item", own: true }, { tag: "downloaded catalogue item", own: false } ]
    }
    function test_deletingOwnItemClosesThePage(data) {
        let wallpaper
        if (data.own) {
            wallpaper = ownVideo("")
        } else {
            // Downloaded, then another applied over it.
            wallpaper = freshWallpaper()
            AppEnvironment.wallpaperManager.apply(wallpaper)
            tryVerify(() => TestRig.pendingDownloads() === 1)
            TestRig.finishDownload(wallpaper)
            const other = freshWallpaper()
            AppEnvironment.wallpaperManager.apply(other)
            tryVerify(() => TestRig.pendingDownloads() === 1)
            TestRig.finishDownload(other)
        }
        const page = makePage(wallpaper)
        const remove = child(page, "deleteButton")
        tryVerify(() => remove.visible)
        // The row places a button that has just appeared at its next polish.
        tryVerify(() => !isPolishScheduled(remove.parent))
        mouseClick(remove)
        const state = AppEnvironment.appState
        verify(state.hasDeleteConfirmation)
        compare(state.deleteConfirmationWallpapers[0].id, wallpaper.id)
        state.confirmDeletion()
        compare(state.selectedWallpaper.isValid, !data.own)
        if (!data.own)
            tryCompare(child(page, "applyLabel"), "text", "Download")
    }

    // A catalogue item 3840 wide shows the 4K fact beside its resolution and
    // size; an own import of 1920 shows those two alone.
    function test_fourKFact_data() {
        return [ { tag: "3840 wide", own: false, facts: ["3840x2160", "4K"] },
                 { tag: "1920 wide", own: true, facts: ["1920x1080"] } ]
    }
    function test_fourKFact(data) {
        const page = makePage(data.own ? ownVideo("") : freshWallpaper())
        const shown = []
        const facts = child(page, "detailFacts")
        const walk = item => {
            for (let i = 0; i < item.children.length; ++i) {
                const c = item.children[i]
                if (c.objectName === "factText" && c.parent.visible)
                    shown.push(c.text)
                walk(c)
            }
        }
        walk(facts)
        compare(shown.slice(0, data.facts.length), data.facts)
        compare(shown.length, data.facts.length + 1) // and the file size
    }

    function test_factsAndCreator() {
        const wallpaper = freshWallpaper()
        const page = makePage(wallpaper)
        verify(child(page, "offlineNotice").visible === false)
        mouseClick(child(page, "detailCreator"))
        const state = AppEnvironment.appState
        compare(state.selectedCreator.name, wallpaper.creator.name)
        compare(state.previousWallpaper.id, wallpaper.id)
        verify(!state.selectedWallpaper.isValid)
        state.selectedCreator = undefined
        state.previousWallpaper = undefined
    }

    // The page sizes are the content area beside the sidebar of a maximised
    // window on 2560x1080 and 3440x1440, of a 1920x800 window, of the smallest window, and one below it.
    function test_previewFitsTheRoomLeft_data() {
        return [
            { tag: "2560x1080", width: 2360, height: 1040, full: false, scrolls: false },
            { tag: "3440x1440", width: 3240, height: 1400, full: false, scrolls: false },
            { tag: "1920x800", width: 1720, height: 800, full: false, scrolls: false },
            { tag: "900x720", width: 900, height: 720, full: true, scrolls: false },
            { tag: "700x600", width: 700, height: 600, full: true, scrolls: false },
            { tag: "below the minimum", width: 1400, height: 300, full: false, scrolls: true },
        ]
    }
    function test_previewFitsTheRoomLeft(data) {
        const wallpaper = ownVideo("")
        AppEnvironment.appState.selectedWallpaper = wallpaper
        const page = createTemporaryObject(sizedPageMaker, stage,
                                           { wallpaper: wallpaper, width: data.width, height: data.height })
        verify(page)
        const picture = child(page, "detailPicture")
        const scroller = child(page, "detailScroller")
        fuzzyCompare(picture.width / picture.height, 16 / 9, 0.01)
        compare(picture.width === page.contentWidth, data.full)
        compare(scroller.interactive, data.scrolls)
        const lowest = ["detailActions", "makePublicButton", "detailFavoriteButton", "detailApplyButton", "detailFacts"]
        for (const name of lowest) {
            const item = child(page, name)
            const bottom = item.mapToItem(scroller.contentItem, 0, item.height).y
            verify(bottom <= scroller.contentHeight, name + " lies below the page's end")
            if (!data.scrolls)
                verify(bottom <= page.height, name + " ends at " + bottom + " of " + page.height)
        }
        if (data.scrolls)
            compare(picture.height, page.minimumPreviewHeight)
    }

    // Tab reaches every button, which then shows its focus ring; Space, Enter
    // and Return press it, a held key once, a key with Ctrl not at all.
    function test_keyboardPressesTheButtons_data() {
        return [
            { tag: "favourite by Space", name: "detailFavoriteButton", key: Qt.Key_Space },
            { tag: "rename by Enter", name: "pencil", key: Qt.Key_Enter },
            { tag: "back by Return", name: "backButton", key: Qt.Key_Return },
        ]
    }
    function test_keyboardPressesTheButtons(data) {
        const own = ownVideo("")
        const page = makePage(own)
        let dismissed = 0
        page.dismiss.connect(() => dismissed += 1)
        const target = child(page, data.name)
        for (let presses = 0; presses < 40 && !target.activeFocus; ++presses)
            keyClick(Qt.Key_Tab)
        verify(target.activeFocus, "Tab never reached " + data.name)
        verify(child(target, "focusRing").visible)

        const favourite = () => child(page, "detailFavoriteButton").Accessible.name === "Remove from favorites"
        const wasFavourite = favourite()
        keyClick(data.key, Qt.ControlModifier)
        compare(dismissed, 0)
        compare(favourite(), wasFavourite)
        verify(!child(page, "renameField").visible)
        keyClick(data.key)
        if (data.name === "detailFavoriteButton")
            compare(favourite(), !wasFavourite)
        if (data.name === "pencil") {
            const field = child(page, "renameField")
            verify(field.visible && field.activeFocus)
            compare(field.Accessible.name, "Wallpaper name")
        }
        if (data.name === "backButton")
            compare(dismissed, 1)
    }

    function test_previewPlaysUntilThePageGoes() {
        const page = makePage(freshWallpaper())
        tryVerify(() => TestRig.livePreviewPlayers() === 1)
        verify(TestRig.lastPreviewPlays())
        let dismissed = 0
        page.dismiss.connect(() => dismissed += 1)
        mouseClick(child(page, "backButton"))
        compare(dismissed, 1)
        page.destroy()
        tryVerify(() => TestRig.livePreviewPlayers() === 0)
    }
}
}
