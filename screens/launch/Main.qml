import QtQuick
import QtQuick.Window
import Lanto.Screens.Launch
import Lanto.Screens.State

// The main window, "main": the launch phases and then the library. It starts
// hidden; the application brings it forward unless launched in the background.
Window {
    id: window

    property bool feedChecked: false

    objectName: "main"
    title: "Lanto"
    width: 1100
    height: 720
    minimumWidth: 900
    minimumHeight: 600
    x: (Screen.width - width) / 2
    y: (Screen.height - height) / 2
    visible: false
    color: Qt.rgba(0.04, 0.04, 0.08, 1)

    // The manager's own look at the feed, once, when the window first shows.
    onVisibleChanged: {
        if (visible && !feedChecked) {
            feedChecked = true
            SparkleUpdateManager.checkAppcast()
        }
    }

    RootView {
        anchors.fill: parent
    }

    UpdateCheckNotice {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 24
    }

    // "Check for Updates…" without a menu bar: the settings' Updates row, and this.
    Shortcut {
        sequence: "Ctrl+U"
        enabled: SparkleUpdateManager.canCheckForUpdates
        onActivated: SparkleUpdateManager.checkForUpdates()
    }
    Shortcut {
        sequences: [StandardKey.Quit]
        onActivated: Qt.quit()
    }
    Shortcut {
        sequences: [StandardKey.Close]
        onActivated: window.close()
    }
}
