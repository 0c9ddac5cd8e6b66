import QtQuick
import QtQuick.Window
import QtTest
import Lanto.Screens.Launch
import Lanto.Screens.State

// The splash counts its time from when its window is shown, not from its start.
TestCase {
    name: "Splash"
    when: windowShown

    Component {
        id: hiddenWindow
        Window {
            width: 400
            height: 300
            visible: false
            property alias splash: splash
            LaunchView {
                id: splash
                anchors.fill: parent
                showsUpdate: false
                updateVersion: ""
            }
        }
    }

    SignalSpy { id: finished; signalName: "finished" }

    function test_timeStartsWhenShown() {
        const window = createTemporaryObject(hiddenWindow, this)
        verify(window, "window")
        finished.target = window.splash
        const time = findChild(window.splash, "splashTime")
        verify(time, "timer")
        verify(!time.running, "running while hidden")
        window.show()
        tryVerify(() => time.running)
        finished.wait(5000)
    }
}
