import QtQuick
import QtTest
import Lanto.App
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
        compare(status.text, "\u2716 Must start with a letter")
        keyClick(Qt.Key_Backspace)
        keyClick(Qt.Key_A, Qt.ShiftModifier)
        keyClick(Qt.Key_Exclam, Qt.ShiftModifier)
        compare(field.text, "a")
        compare(status.text, "\u2716 Must be at least 3 characters")
        verify(!findChild(view, "continueButton").enabled)
    }
}
