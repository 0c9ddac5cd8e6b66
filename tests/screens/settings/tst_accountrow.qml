import QtQuick
import QtTest
import Lanto.Screens.Settings
import Lanto.Screens.State
import Lanto.Test

// The settings screen's account row while signed out.
// Test cases are not drawn themselves, so what they click lies on this stage.
Item {
    id: stage
    width: 500
    height: 100

    TestCase {
        id: test
        name: "AccountRow"
        when: windowShown

        Component { id: row; AccountRow { width: 480 } }


        function test_signInStartsOnceAndDisablesTheButton() {
            const auth = AppEnvironment.auth
            const view = createTemporaryObject(row, stage)
            compare(findChild(view, "signedOutLayout").visible, true)
            compare(findChild(view, "signedInLayout").visible, false)
            auth.signInError = "old failure"
            const button = findChild(view, "signInButton")
            mouseClick(button)
            compare(auth.isLoading, true)
            compare(auth.signInError, "")
            compare(button.enabled, false)
            auth.isLoading = false
            compare(button.enabled, true)
        }
    }
}
