import QtQuick
import QtTest
import Lanto.Screens.Settings
import Lanto.Screens.State
import Lanto.Test

// The settings screen writes a switch to the settings store and raises the sign-out confirmation.
TestCase {
    name: "Settings"
    when: windowShown
    visible: true // a TestCase is invisible by default, and so would be what it holds
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
        const flick = view.contentItem
        flick.contentY = row.mapToItem(flick.contentItem, 0, 0).y - 100
        mouseClick(control)
        verify(view.settings.pauseOnBattery)
        compare(TestRig.settingsValue("pauseOnBattery"), true)
        verify(findChild(view, "version").text.startsWith("Version "))
    }

    // A screen reader turns a switch without a click; the setting follows all the same.
    function test_switchTurnedWithoutAClick() {
        const view = createTemporaryObject(screen, this)
        const control = findChild(findChild(view, "pauseOnBattery"), "switch")
        const before = view.settings.pauseOnBattery
        control.toggle()
        compare(view.settings.pauseOnBattery, !before)
        tryVerify(() => TestRig.settingsValue("pauseOnBattery") === !before)
        view.settings.pauseOnBattery = before
        compare(control.checked, before)
    }

    function test_languageChoiceIsKept() {
        const view = createTemporaryObject(screen, this)
        const picker = findChild(view, "languagePicker")
        compare(picker.displayText, "System Default")
        view.settings.appLanguage = "pt-BR"
        compare(picker.currentText, "Português (Brasil)")
    }
}
