import QtQuick
import QtTest
import Lanto.Screens.State
import Lanto.Core
import Lanto.Screens.Profile
import Lanto.Test

// The own profile: the prompt while signed out, then the tabs, the editor's
// button and the way to the Upload section.
Item {
    id: root
    width: 1000
    height: 800

    TestCase {
        name: "ProfileView"
        when: windowShown

        Component {
            id: viewComponent
            ProfileView { width: 1000; height: 800 }
        }

        Component {
            id: sheetComponent
            EditProfileSheet {}
        }
        SignalSpy { id: dismissals; signalName: "dismiss" }

        Component {
            id: gridComponent
            WallpaperGrid {
                height: 700
                model: 12
                delegate: Item { width: 220; height: 200 }
            }
        }

        // The grids lay out as many 220 point columns, 16 apart, as the width
        // inside the 32 point margins holds, as the shared column rule counts.
        function test_gridColumns_data() {
            return [[219, 1], [220, 1], [455, 1], [456, 2], [672, 2], [691, 2], [692, 3], [1400, 6]]
                .map(row => ({ tag: "inside " + row[0], inside: row[0], columns: row[1] }))
        }
        function test_gridColumns(data) {
            const grid = createTemporaryObject(gridComponent, root, { width: data.inside + 64 })
            grid.forceLayout()
            const firstRow = grid.itemAtIndex(0).y
            let columns = 0
            while (grid.itemAtIndex(columns) && grid.itemAtIndex(columns).y === firstRow)
                ++columns
            compare(columns, data.columns)
            compare(columns, AppLayout.gridColumnCount(data.inside))
            const last = grid.itemAtIndex(columns - 1)
            if (data.inside >= 220)
                verify(last.x + last.width <= data.inside, "the right margin stays clear")
        }

        function test_z_editorSavesAndCancels() {
            const sheet = createTemporaryObject(sheetComponent, root)
            dismissals.target = sheet
            const field = findChild(sheet, "nameField")
            compare(field.text, AppEnvironment.auth.displayName)
            field.forceActiveFocus()
            field.selectAll()
            keyClick(Qt.Key_Space)
            verify(!findChild(sheet, "saveButton").enabled)
            keyClick(Qt.Key_B)
            verify(findChild(sheet, "saveButton").enabled)
            mouseClick(findChild(sheet, "saveButton"))
            compare(dismissals.count, 1)
            compare(AppEnvironment.auth.displayName, "b")
            mouseClick(findChild(sheet, "cancelButton"))
            compare(dismissals.count, 2)
        }

        function test_signedOutThenIn() {
            const auth = AppEnvironment.auth
            const state = AppEnvironment.appState
            const view = createTemporaryObject(viewComponent, root)
            const button = findChild(view, "signInButton")
            verify(button.visible)
            mouseClick(button)
            verify(auth.isLoading)

            TestRig.signIn("00aa11bb22cc33dd44ee55ff", "ada king")
            tryVerify(() => findChild(view, "profileName") !== null)
            compare(findChild(view, "profileName").text, "ada king")
            const pills = findChild(view, "tabPills")
            compare(pills.itemAt(1).title, "Downloads")
            verify(pills.itemAt(1).isSelected)
            compare(findChild(view, "profileEmpty").title, "No downloads yet")
            verify(!findChild(view, "selectButton").visible)

            mouseClick(pills.itemAt(2))
            verify(findChild(view, "favoritesVisibility").visible)
            // A second click this soon counts as a double click; the pill's action is what matters.
            pills.itemAt(0).clicked()
            const upload = findChild(view, "uploadFirstButton")
            verify(upload.visible)
            mouseClick(upload)
            compare(state.selectedSection, "Upload")

            mouseClick(findChild(view, "editProfileButton"))
            verify(state.showEditProfile)
            state.showEditProfile = false
        }
    }
}
