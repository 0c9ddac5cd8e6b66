import QtQuick
import QtTest
import Lanto.Core
import Lanto.Screens.State
import Lanto.Screens.Browse
import Lanto.Test

// The Discover page and the category browser over the test library, as a user meets them.
Item {
    id: stage
    width: 1200
    height: 2400

TestCase {
    id: test
    name: "Browse"
    when: windowShown

    readonly property AppState appState: AppEnvironment.appState

    Component { id: discoverMaker; DiscoverView { anchors.fill: parent } }
    Component { id: shortDiscoverMaker; DiscoverView { width: 1200; height: 500 } }
    Component { id: categoriesMaker; CategoriesView { anchors.fill: parent } }

    function child(item, name) {
        const found = findChild(item, name)
        verify(found, name)
        return found
    }
    // How many items below item carry the name.
    function countNamed(item, name) {
        let count = 0
        for (let i = 0; i < item.children.length; ++i)
            count += (item.children[i].objectName === name ? 1 : 0) + countNamed(item.children[i], name)
        return count
    }
    function makePage(maker) {
        const page = createTemporaryObject(maker, stage)
        verify(page)
        waitForRendering(page)
        return page
    }

    readonly property var curatedRows: ({ featured: [1, 2], todaysPicks: [3, 4], newThisWeek: [5],
                                          trending: [1, 2, 3, 4, 5, 6, 7, 8, 9, 10] })
    readonly property var tagCatalogue: [{ id: "s", name: "Show", groupName: "series" },
                                         { id: "h", name: "Hero", groupName: "character", parentId: "s" },
                                         { id: "r", name: "rain", groupName: "theme" }]

    function initTestCase() {
        // The start-up refresh is still running: placeholders until the first featured wallpaper.
        const page = makePage(discoverMaker)
        const skeleton = child(page, "skeleton")
        tryCompare(skeleton, "visible", true)
        compare(findChild(skeleton, "heroPlaceholder").height, 280)
        compare(countNamed(skeleton, "rowPlaceholder"), 3)
        compare(countNamed(skeleton, "cardPlaceholder"), 15)
        TestRig.addCatalogueWallpapers(12)
        TestRig.refreshCatalogue(curatedRows, tagCatalogue)
        tryCompare(skeleton, "visible", false)
    }

    function init() {
        appState.searchText = ""
        appState.selectedWallpaper = undefined
        appState.pendingCategory = undefined
        appState.selectedSection = "Discover"
    }

    SignalSpy {
        id: catalogueErrors
        target: AppEnvironment.wallpaperManager
        signalName: "manifestErrorChanged"
    }

    // A failed refresh says so, with a way to try again; the rows from before
    // stay, and without any the notice shows alone. A good refresh clears it.
    function test_failedCatalogueShowsANotice_data() {
        return [ { tag: "rows from before", rowsBefore: true }, { tag: "nothing from before", rowsBefore: false } ]
    }
    function test_failedCatalogueShowsANotice(data) {
        const manager = AppEnvironment.wallpaperManager
        if (!data.rowsBefore)
            TestRig.refreshCatalogue({}, tagCatalogue)
        const page = makePage(discoverMaker)
        const notice = child(page, "catalogueError")
        verify(!notice.visible)
        TestRig.failCatalogue("The service did not answer")
        manager.retryCatalogue()
        tryVerify(() => notice.visible)
        verify(child(page, "catalogueErrorReason").text.indexOf("The service did not answer") >= 0)
        compare(child(page, "todaysPicksRow").visible, data.rowsBefore)
        compare(child(page, "trendingRow").visible, data.rowsBefore)
        verify(!child(page, "skeleton").visible)

        catalogueErrors.clear()
        // The notice's row places its button at its next polish.
        const retry = child(page, "catalogueRetryButton")
        tryVerify(() => !isPolishScheduled(retry.parent) && !isPolishScheduled(notice.parent))
        mouseClick(retry)
        tryVerify(() => catalogueErrors.count >= 2 && notice.visible, 5000, "the retry failed again")

        TestRig.refreshCatalogue(curatedRows, tagCatalogue)
        tryVerify(() => !notice.visible)
        verify(child(page, "todaysPicksRow").visible)
        // The empty refresh pruned the items no row lists; the other tests need them.
        TestRig.addCatalogueWallpapers(12)
    }

    function test_curatedRows() {
        const page = makePage(discoverMaker)
        compare(child(page, "heroTitle").text, TestRig.catalogueWallpaper(1).displayTitle)
        compare(child(child(page, "todaysPicksRow"), "rowCards").count, 2)
        compare(child(child(page, "newThisWeekRow"), "rowCards").count, 1)
        compare(child(child(page, "trendingRow"), "rowCards").count, 8)
        verify(!child(page, "forYourDisplayRow").visible)
    }

    // This program renders with the software scene graph, as the window does
    // without a graphics card: the banner's and the cards' pictures show there.
    function test_picturesShowOnTheSoftwareRenderer() {
        compare(GraphicsInfo.api, GraphicsInfo.Software)
        TestRig.writePicture(TestRig.catalogueWallpaper(1), "red", true)
        TestRig.writePicture(TestRig.catalogueWallpaper(3), "blue", true)
        const page = makePage(discoverMaker)
        const card = child(child(page, "todaysPicksRow"), "rowCards").itemAtIndex(0)
        verify(card)
        tryCompare(child(card, "thumbnail"), "hasImage", true)
        const hero = child(page, "heroArea")
        const heroMiddle = hero.mapToItem(page, hero.width / 2, 40)
        const cardMiddle = card.mapToItem(page, 110, 70)
        tryVerify(() => {
            const shot = grabImage(page)
            return shot.red(heroMiddle.x, heroMiddle.y) > 200 && shot.blue(heroMiddle.x, heroMiddle.y) < 60
                && shot.blue(cardMiddle.x, cardMiddle.y) > 200 && shot.red(cardMiddle.x, cardMiddle.y) < 60
        }, 5000, "the banner's picture red and the card's blue")
    }

    function test_offlineBannerFollowsTheNetwork() {
        const page = makePage(discoverMaker)
        const banner = child(page, "offlineBanner")
        NetworkMonitor.updateReachability(1) // disconnected
        tryCompare(banner, "visible", true)
        NetworkMonitor.updateReachability(4) // online
        tryCompare(banner, "visible", false)
    }

    function test_heroOpensTheDetailButNotFromItsButtons() {
        const page = makePage(discoverMaker)
        const favorite = child(page, "heroFavorite")
        compare(favorite.Accessible.name, "Add to favorites")
        mouseClick(favorite)
        compare(favorite.Accessible.name, "Remove from favorites")
        verify(!appState.selectedWallpaper.isValid)
        mouseClick(child(page, "heroArea"), 40, 40)
        compare(appState.selectedWallpaper.id, TestRig.catalogueWallpaper(1).id)
        mouseClick(favorite)
    }

    function test_heroPreviewPlaysWhileOnScreen() {
        const page = makePage(shortDiscoverMaker)
        const featured = TestRig.catalogueWallpaper(1)
        tryVerify(() => TestRig.lastPreviewPlays())
        compare(TestRig.lastPreviewURL().toString(), featured.remoteContentURL)
        // Less than a tenth of the banner left on screen stops it; back in view starts it again.
        const scroller = child(page, "discoverBrowse")
        scroller.contentY = 116 + 280 - 20 - scroller.topMargin
        tryVerify(() => TestRig.livePreviewPlayers() === 0)
        scroller.contentY = -scroller.topMargin
        tryVerify(() => TestRig.livePreviewPlayers() === 1 && TestRig.lastPreviewPlays())
    }

    function test_searchFollowsTheField() {
        const page = makePage(discoverMaker)
        const input = child(page, "searchInput")
        mouseClick(input)
        keyClick(Qt.Key_Space)
        compare(appState.searchText, " ")
        verify(!page.isSearching)
        verify(!child(page, "clearButton").visible)
        for (const c of "title")
            keyClick(c)
        compare(appState.searchText, " title")
        verify(page.isSearching)
        tryCompare(findChild(page, "resultCount"), "text", "12 results")

        appState.searchText = TestRig.catalogueWallpaper(3).hexID + " "
        tryCompare(findChild(page, "resultCount"), "text", "1 result")

        appState.searchText = " zzz"
        const empty = findChild(page, "noResults")
        verify(empty && empty.visible)
        verify(findChild(empty, "noResultsText").text === "No results for \" zzz\"")

        mouseClick(child(page, "clearButton"))
        compare(appState.searchText, "")
        verify(!page.isSearching)
    }

    function test_aCategoryCardOpensTheBrowser() {
        const discover = makePage(discoverMaker)
        const space = child(discover, "categoryCard_Space")
        mouseClick(space)
        compare(appState.pendingCategory, "Space")
        compare(appState.selectedSection, "Categories")

        const categories = makePage(categoriesMaker)
        compare(appState.pendingCategory, "")
        verify(child(categories, "backButton").visible)
        verify(findChild(categories, "emptyCategory").visible)
        mouseClick(child(categories, "backButton"))
        verify(findChild(categories, "categoryCard_Nature"))
    }

    function test_sortDirectionAndUltraWideFilter() {
        appState.pendingCategory = "Nature"
        const page = makePage(categoriesMaker)
        // The test displays are not ultra-wide.
        verify(!child(page, "ultraWidePill").visible)
        const direction = child(page, "directionButton")
        compare(direction.Accessible.name, "Sort Descending")
        mouseClick(direction)
        compare(direction.Accessible.name, "Sort Ascending")
        // Back to the cards puts the direction back too.
        mouseClick(child(page, "backButton"))
        verify(!child(page, "backButton").visible)
        compare(direction.Accessible.name, "Sort Descending")
    }

    function test_categoryCardsAndTagsNarrowTheGrid() {
        TestRig.addTaggedWallpaper(20, ["s", "h"])
        TestRig.addTaggedWallpaper(21, ["r"])
        const page = makePage(categoriesMaker)
        mouseClick(child(page, "categoryCard_Nature"))
        const grid = child(page, "categoryGrid")
        tryVerify(() => findChild(page, "chip_s") !== null)
        // Every test wallpaper is of the category Nature.
        compare(grid.count, AppEnvironment.wallpaperManager.allWallpapers.count)

        mouseClick(child(page, "chip_s"))
        compare(grid.count, 1)
        tryVerify(() => findChild(page, "chip_h") !== null && findChild(page, "characterChips").visible)
        waitForRendering(page)
        mouseClick(child(page, "chip_r"))
        compare(grid.count, 1)
        verify(!findChild(page, "characterChips").visible)

        // A card opens the wallpaper's detail page.
        waitForRendering(page)
        mouseClick(child(grid.itemAtIndex(0), "pictureArea"))
        compare(appState.selectedWallpaper.id, TestRig.catalogueWallpaper(21).id)
    }
}
}
