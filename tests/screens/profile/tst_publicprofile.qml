import QtQuick
import QtTest
import Lanto.Screens.State
import Lanto.Screens.Profile
import Lanto.Test

// A creator's page over the fake service: the fetched grid, the count, the search and the way back.
Item {
    id: root
    width: 1000
    height: 800

    TestCase {
        name: "PublicProfileView"
        when: windowShown

        Component {
            id: pageComponent
            PublicProfileView { width: 1000; height: 800 }
        }

        function test_fetchSearchAndBack() {
            const creator = TestRig.servedCreator("00aa11bb22cc33dd44ee55ff", [3])
            const state = AppEnvironment.appState
            state.selectedCreator = creator
            const page = createTemporaryObject(pageComponent, root, { creator: creator })
            const grid = findChild(page, "creatorGrid")
            tryCompare(grid, "count", 3)
            verify(grid.visible)
            compare(findChild(page, "countText").text, "3 wallpapers")

            const field = findChild(page, "searchField")
            field.forceActiveFocus()
            keyClick(Qt.Key_Z)
            tryCompare(grid, "count", 0)
            compare(findChild(page, "emptyTitle").text, "No matching wallpapers")
            mouseClick(findChild(page, "clearSearch"))
            tryCompare(grid, "count", 3)

            const pills = findChild(page, "sortPills")
            compare(pills.count, 3)
            compare(pills.itemAt(2).title, "A\u2013Z")
            mouseClick(pills.itemAt(2))
            verify(pills.itemAt(2).isSelected)

            mouseClick(findChild(page, "backButton"))
            verify(!state.selectedCreator.isValid)
        }
    }
}
