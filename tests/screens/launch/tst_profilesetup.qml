import QtQuick
import QtTest
import Lanto.Screens.Launch
import Lanto.Screens.State
import Lanto.Test

// The handle set-up cleans typed text at once and judges the local rules without the service.
TestCase {
    name: "ProfileSetup"
    when: windowShown
    visible: true // a TestCase is invisible by default, and so would be what it holds
    width: 800
    height: 600

    Component {
        id: screen
        ProfileSetupView { anchors.fill: parent }
    }

    function test_typingIsCleanedAndJudged() {
        const view = createTemporaryObject(screen, this)
        const field = findChild(view, "handleField")
        const status = findChild(view, "statusText")
        field.forceActiveFocus()
        keyClick(Qt.Key_1)
        compare(field.text, "1")
        compare(status.text, "Must start with a letter")
        compare(field.Accessible.description, "Must start with a letter") // what a screen reader says
        keyClick(Qt.Key_Backspace)
        keyClick(Qt.Key_A, Qt.ShiftModifier)
        keyClick(Qt.Key_Exclam, Qt.ShiftModifier)
        compare(field.text, "a")
        compare(status.text, "Must be at least 3 characters")
        verify(!findChild(view, "continueButton").enabled)
    }

    SignalSpy { id: completed; signalName: "complete" }

    function test_freeHandleIsSaved() {
        TestRig.serve("GET", "handles/check", { available: true })
        TestRig.serve("PATCH", "me", { id: "u1", name: "Ada", handle: "ada", isVerified: false,
                                       wallpaperCount: 0, followerCount: 0, createdAt: "2024-01-01" })
        TestRig.storeSessionToken("tok")
        const view = createTemporaryObject(screen, this)
        completed.target = view
        const field = findChild(view, "handleField")
        field.forceActiveFocus()
        for (const letter of "ada")
            keyClick(letter)
        tryCompare(findChild(view, "statusText"), "text", "Available")
        compare(findChild(view, "verdictSymbol").name, "checkmark.circle.fill")
        compare(field.Accessible.description, "Available")
        const button = findChild(view, "continueButton")
        verify(button.enabled)
        mouseClick(button)
        completed.wait()
        compare(AppEnvironment.auth.handle, "ada")
        compare(TestRig.settingsValue("handle"), "ada")
    }
}
