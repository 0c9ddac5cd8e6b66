import QtQuick
import QtTest
import Lanto.Screens.State
import Lanto.Screens.Wallpaper
import Lanto.Test

// A card as a user meets it: opening, hovering, favouriting, downloading and its picture.
Item {
    id: stage
    width: 400
    height: 300

TestCase {
    id: test
    name: "WallpaperCard"
    when: windowShown

    Component {
        id: cardMaker
        WallpaperCard {}
    }
    Component {
        id: mirroredCardMaker
        WallpaperCard {
            LayoutMirroring.enabled: true
            LayoutMirroring.childrenInherit: true
        }
    }

    property int nextItem: 100

    // A card of a fresh catalogue item, so no test sees another's library state.
    function makeCard(wallpaper) {
        const card = createTemporaryObject(cardMaker, stage, { wallpaper: wallpaper })
        verify(card)
        return card
    }
    function freshWallpaper() {
        nextItem += 1
        TestRig.addCatalogueWallpapers(nextItem)
        return TestRig.catalogueWallpaper(nextItem)
    }
    function child(card, name) {
        const found = findChild(card, name)
        verify(found, name)
        return found
    }
    function hover(card) { mouseMove(card, 110, 70) }
    function leave(card) { mouseMove(stage, 390, 290) }

    function cleanup() {
        leave()
        const state = AppEnvironment.appState
        state.selectedWallpaper = undefined
        state.selectedCreator = undefined
    }

    function test_pictureOpensTheDetailPage() {
        const wallpaper = freshWallpaper()
        const state = AppEnvironment.appState
        const card = makeCard(wallpaper)
        state.selectedCreator = wallpaper.creator
        state.previousWallpaper = wallpaper
        mouseClick(card, 110, 70)
        compare(state.selectedWallpaper.id, wallpaper.id)
        verify(!state.selectedCreator.isValid)
        verify(!state.previousWallpaper.isValid)
    }

    function test_creatorOpensTheCreatorsPage() {
        const wallpaper = freshWallpaper()
        const card = makeCard(wallpaper)
        const area = child(card, "creatorArea")
        mouseClick(area)
        compare(AppEnvironment.appState.selectedCreator.name, wallpaper.creator.name)
        verify(!AppEnvironment.appState.selectedWallpaper.isValid)
    }

    function test_titleAndCount() {
        const wallpaper = freshWallpaper()
        const card = makeCard(wallpaper)
        compare(child(card, "title").text, wallpaper.displayTitle)
        compare(child(card, "title").maximumLineCount, 1)
        compare(child(card, "downloadCount").text, "0")
    }

    // Right to left, the apply and favourite buttons trade corners.
    function test_buttonsFollowTheLayoutDirection_data() {
        return [ { tag: "left to right", mirrored: false }, { tag: "right to left", mirrored: true } ]
    }
    function test_buttonsFollowTheLayoutDirection(data) {
        const card = createTemporaryObject(data.mirrored ? mirroredCardMaker : cardMaker, stage,
                                           { wallpaper: freshWallpaper() })
        verify(card)
        const apply = child(card, "applyButton").mapToItem(card, 0, 0).x
        const favourite = child(card, "favoriteButton").mapToItem(card, 0, 0).x
        compare(apply > favourite, data.mirrored)
    }

    function test_buttonsOnlyWhileHovered() {
        const wallpaper = freshWallpaper()
        const card = makeCard(wallpaper)
        const favorite = child(card, "favoriteButton")
        compare(favorite.opacity, 0)
        // Hidden: a click where the button sits opens the page instead.
        mouseClick(favorite, 16, 16)
        compare(AppEnvironment.appState.selectedWallpaper.id, wallpaper.id)
        verify(!AppEnvironment.wallpaperManager.isActive(wallpaper.id))
        AppEnvironment.appState.selectedWallpaper = undefined

        hover(card)
        tryCompare(favorite, "opacity", 1)
        mouseClick(favorite, 16, 16)
        verify(!AppEnvironment.appState.selectedWallpaper.isValid)
        tryVerify(() => favorite.Accessible.name === "Remove from favorites")
        mouseClick(favorite, 16, 16)
        tryVerify(() => favorite.Accessible.name === "Add to favorites")
    }

    function test_downloadShowsProgressThenActive() {
        const wallpaper = freshWallpaper()
        const card = makeCard(wallpaper)
        const apply = child(card, "applyButton")
        compare(apply.Accessible.name, "Download wallpaper")
        hover(card)
        tryCompare(apply, "opacity", 1)
        mouseClick(apply, 16, 16)
        tryVerify(() => TestRig.pendingDownloads() === 1)
        const ring = child(card, "progressRing")
        verify(ring.visible)
        verify(!apply.enabled)
        TestRig.reportDownloadProgress(0.5)
        compare(ring.progress, 0.5)
        // Pressing it again starts nothing, nor opens the page beneath.
        mouseClick(apply, 16, 16)
        compare(TestRig.pendingDownloads(), 1)
        verify(!AppEnvironment.appState.selectedWallpaper.isValid)
        TestRig.finishDownload(wallpaper)
        tryVerify(() => apply.enabled)
        verify(!ring.visible)
        tryVerify(() => apply.Accessible.name === "Active wallpaper")
        compare(child(card, "applySymbol").name, "checkmark")
        verify(child(card, "activeMarking").visible)
    }

    function test_videoPreviewFollowsTheHover() {
        const wallpaper = freshWallpaper()
        const card = makeCard(wallpaper)
        compare(TestRig.livePreviewPlayers(), 0)
        hover(card)
        tryVerify(() => TestRig.livePreviewPlayers() === 1)
        compare(TestRig.lastPreviewURL(), wallpaper.remoteContentURL)
        verify(TestRig.lastPreviewPlays())
        leave(card)
        tryVerify(() => TestRig.livePreviewPlayers() === 0)
        hover(card)
        tryVerify(() => TestRig.livePreviewPlayers() === 1)
    }

    function test_stillPictureNeverPreviews() {
        const card = makeCard(TestRig.stillWallpaper(1))
        hover(card)
        tryCompare(child(card, "favoriteButton"), "opacity", 1)
        compare(TestRig.livePreviewPlayers(), 0)
    }

    function test_localThumbnailIsCachedForTheNextCard() {
        const wallpaper = freshWallpaper()
        TestRig.writePicture(wallpaper, "red", true)
        const first = makeCard(wallpaper)
        tryCompare(child(first, "thumbnail"), "hasImage", true)
        const second = makeCard(wallpaper)
        compare(child(second, "thumbnail").hasImage, true) // on its first frame
    }

    // The picture is drawn rounded by the card itself, so any renderer shows
    // it with clear corners (this program renders with the software scene graph).
    function test_pictureIsRoundedOnTheSoftwareRenderer() {
        compare(GraphicsInfo.api, GraphicsInfo.Software)
        const wallpaper = freshWallpaper()
        TestRig.writePicture(wallpaper, "red", true)
        const card = makeCard(wallpaper)
        tryCompare(child(card, "thumbnail"), "hasImage", true)
        let shot
        tryVerify(() => {
            shot = grabImage(card)
            return shot.red(110, 70) > 200 && shot.green(110, 70) < 40
        })
        // Red inside the rounding, right up to the edges; none in the very corners.
        for (const [x, y] of [[110, 2], [2, 70], [217, 70], [110, 137]])
            verify(shot.red(x, y) > 200 && shot.green(x, y) < 40, `red at ${x},${y}`)
        for (const [x, y] of [[0, 0], [219, 0], [0, 139], [219, 139]])
            verify(shot.red(x, y) - shot.green(x, y) < 60, `no red at ${x},${y}`)
    }

    function test_remoteThumbnailWhenNoneIsOnDisk() {
        const wallpaper = freshWallpaper()
        TestRig.holdThumbnailFetches(true)
        const card = makeCard(wallpaper)
        tryVerify(() => TestRig.requestedThumbnails().indexOf(wallpaper.cloudID) >= 0)
        compare(child(card, "thumbnail").hasImage, false)
        TestRig.answerThumbnail(TestRig.writePicture(wallpaper, "blue", false))
        TestRig.holdThumbnailFetches(false)
        tryCompare(child(card, "thumbnail"), "hasImage", true)
    }
}
}
