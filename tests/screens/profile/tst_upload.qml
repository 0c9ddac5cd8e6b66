import QtQuick
import QtTest
import Lanto.Screens.State
import Lanto.Screens.Profile
import Lanto.Test

// My Wallpapers over the test library: the grid of own items, its chips, the
// cards' actions and the drop zone's states.
Item {
    id: root
    width: 1000
    height: 800

    TestCase {
        id: test
        name: "UploadView"
        when: windowShown

        Component {
            id: uploadComponent
            UploadView {
                width: 1000
                height: 800
            }
        }
        Component {
            id: zoneComponent
            ImportDropZone {
                width: 600
                height: 160
                isImporting: false
                importError: ""
                importSuccess: ""
                currentFile: ""
                currentIndex: 0
                totalFiles: 0
            }
        }
        SignalSpy {
            id: importRequests
            signalName: "importRequested"
        }

        function test_1_ownWallpapersAndChips() {
            const view = createTemporaryObject(uploadComponent, root);
            const bar = findChild(view, "filterBar");
            const grid = findChild(view, "wallpaperGrid");
            verify(!bar.visible);
            verify(!grid.visible);
            TestRig.addCatalogueWallpapers(2);
            TestRig.addOwnWallpaper("c0ffee1", "");
            TestRig.addOwnWallpaper("c0ffee2", "approved");
            TestRig.addOwnWallpaper("c0ffee3", "rejected");
            tryVerify(() => bar.visible);
            const cards = findChild(view, "cards");
            tryCompare(cards, "count", 3);
            const chips = findChild(view, "chips");
            compare(chips.count, 3);
            compare(chips.itemAt(0).title, "All");
            mouseClick(chips.itemAt(1));
            tryCompare(cards, "count", 1);
            verify(chips.itemAt(1).isSelected && !chips.itemAt(0).isSelected);
            const badge = findChild(cards.itemAt(0), "statusBadge");
            verify(badge.visible);
            compare(badge.children[0].text, "Public");
            mouseClick(chips.itemAt(2));
            tryCompare(cards, "count", 1);
            compare(cards.itemAt(0).wallpaper.hexID, "c0ffee1");
            verify(!findChild(cards.itemAt(0), "statusBadge").visible);
            compare(findChild(cards.itemAt(0), "kindLine").text, "Video • 1920x1080");
        }

        function test_2_cardActions() {
            const view = createTemporaryObject(uploadComponent, root);
            const cards = findChild(view, "cards");
            tryCompare(cards, "count", 3);
            const local = cards.itemAt(0);
            const rejected = cards.itemAt(2);
            const button = findChild(local, "makePublicButton");
            verify(!button.visible);
            mouseMove(findChild(local, "pictureArea"), 50, 50);
            tryVerify(() => button.visible);
            mouseMove(findChild(rejected, "pictureArea"), 50, 50);
            tryVerify(() => !button.visible);
            verify(!findChild(rejected, "makePublicButton").visible);
            mouseClick(findChild(rejected, "pictureArea"), 20, 20);
            compare(AppEnvironment.appState.selectedWallpaper.hexID, "c0ffee3");
            AppEnvironment.appState.selectedWallpaper = undefined;
        }

        function test_2b_failedSubmissionOffersTryAgain() {
            const view = createTemporaryObject(uploadComponent, root)
            const cards = findChild(view, "cards")
            tryCompare(cards, "count", 3)
            const local = cards.itemAt(0)
            mouseMove(findChild(local, "pictureArea"), 50, 50)
            const button = findChild(local, "makePublicButton")
            tryVerify(() => button.visible)
            mouseClick(button)
            const banner = findChild(view, "errorBanner")
            tryVerify(() => banner.visible, 10000)
            verify(findChild(view, "tryAgainButton").visible)
            compare(AppEnvironment.appState.selectedWallpaper.isValid, false)
            mouseClick(findChild(view, "dismissSubmissionButton"))
            verify(!banner.visible)
        }

        function test_2c_cardFollowsItsRecord() {
            const view = createTemporaryObject(uploadComponent, root)
            const cards = findChild(view, "cards")
            tryCompare(cards, "count", 3)
            const local = cards.itemAt(0)
            compare(local.wallpaper.hexID, "c0ffee1")
            verify(!findChild(local, "statusBadge").visible)
            compare(findChild(local, "pictureArea").Accessible.description, "")
            TestRig.setSubmissionStatus("c0ffee1", "pending")
            tryVerify(() => findChild(local, "statusBadge").visible)
            compare(findChild(local, "pictureArea").Accessible.description, "Pending Review")
            mouseMove(findChild(local, "pictureArea"), 50, 50)
            verify(!findChild(local, "makePublicButton").visible)
            TestRig.setSubmissionStatus("c0ffee1", "")
            tryVerify(() => !findChild(local, "statusBadge").visible)
        }

        // An own card decodes its poster at the size of the card, not the poster's.
        function test_2d_ownCardShowsItsPoster() {
            const first = createTemporaryObject(uploadComponent, root)
            tryCompare(findChild(first, "cards"), "count", 3)
            TestRig.writePicture(findChild(first, "cards").itemAt(0).wallpaper, "red", true)
            first.destroy()
            const view = createTemporaryObject(uploadComponent, root)
            const cards = findChild(view, "cards")
            tryCompare(cards, "count", 3)
            const picture = findChild(cards.itemAt(0), "picture")
            tryVerify(() => picture.hasPicture)
            // Rounded like the other cards' pictures.
            compare(picture.radius, 14)
        }

        function test_3_failedImportShowsItsLine() {
            const view = createTemporaryObject(uploadComponent, root);
            const zone = findChild(view, "dropZone");
            zone.filesDropped([Qt.resolvedUrl("file:///nonexistent/Missing.mov")]);
            tryVerify(() => findChild(zone, "errorBox").visible, 10000);
            verify(zone.importError.startsWith("Missing.mov: "));
            mouseClick(findChild(zone, "dismissButton"));
            tryVerify(() => findChild(zone, "idleTarget").visible);
        }

        function test_3b_aBatchOutlivesTheScreen() {
            const view = createTemporaryObject(uploadComponent, root)
            view.imports.start([Qt.resolvedUrl("file:///nonexistent/First.mov"),
                                Qt.resolvedUrl("file:///nonexistent/Second.mov")])
            verify(ImportQueue.isImporting)
            view.destroy()
            tryVerify(() => !ImportQueue.isImporting, 10000)
            verify(ImportQueue.importError.indexOf("First.mov: ") >= 0)
            verify(ImportQueue.importError.indexOf("Second.mov: ") >= 0)
            ImportQueue.dismissError()
        }

        function test_4_dropZoneStates() {
            const zone = createTemporaryObject(zoneComponent, root);
            importRequests.target = zone;
            verify(findChild(zone, "idleTarget").visible);
            mouseClick(findChild(zone, "idleTarget"));
            compare(importRequests.count, 1);
            zone.isImporting = true;
            zone.importError = "failed";
            zone.totalFiles = 1;
            zone.currentIndex = 1;
            verify(findChild(zone, "importingBox").visible);
            verify(!findChild(zone, "errorBox").visible);
            verify(!findChild(zone, "processingText").visible);
            zone.totalFiles = 3;
            zone.currentIndex = 2;
            verify(findChild(zone, "processingText").visible);
            compare(findChild(zone, "processingText").text, "Processing 2 of 3");
            zone.isImporting = false;
            zone.importSuccess = "Wallpaper imported successfully!";
            verify(findChild(zone, "errorBox").visible);
            zone.importError = "";
            verify(findChild(zone, "successBox").visible);
        }

        // Each state is as tall as its box: a long message pushes the content
        // below down instead of growing over it; the idle target takes its height.
        function test_5_dropZoneTakesItsContentsHeight() {
            const view = createTemporaryObject(uploadComponent, root)
            const zone = findChild(view, "dropZone")
            // Whatever an earlier test left in the shared queue does not matter here.
            zone.isImporting = false
            zone.importSuccess = ""
            zone.importError = ""
            compare(zone.height, 160)
            zone.importError = "Could not read the file. ".repeat(40)
            const box = findChild(zone, "errorBox")
            verify(box.visible)
            tryVerify(() => box.height > 160)
            compare(zone.height, box.height)
            const siblings = zone.parent.children
            let below = null
            for (let i = 0; i + 1 < siblings.length; ++i) {
                if (siblings[i] === zone)
                    below = siblings[i + 1]
            }
            tryVerify(() => below.y >= zone.y + box.height)
            zone.importError = ""
            compare(zone.height, 160)
        }
    }
}
