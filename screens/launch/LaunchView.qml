import QtQuick
import QtQuick.Controls
import Lanto.Screens.Wallpaper
import Lanto.Screens.State

// The splash: the logo springs in, the name fades in, and 1.8 s after its
// window is shown it is done (a start without the window waits for it). While an update is under way it shows the version being installed.
Item {
    id: splash

    required property bool showsUpdate
    required property string updateVersion

    signal finished()

    property real logoScale: 0.6
    property real logoOpacity: 0
    property real textOpacity: 0

    LaunchGradient {
        anchors.fill: parent
    }

    Column {
        anchors.centerIn: parent
        spacing: 20

        LantoLogo {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 120
            height: 120
            radius: 26
            scale: splash.logoScale
            opacity: splash.logoOpacity
        }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Lanto"
            color: "white"
            opacity: splash.textOpacity
            font { pixelSize: 28; bold: true }
        }

        Column {
            id: updateLine
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 16
            visible: opacity > 0
            opacity: splash.showsUpdate ? 1 : 0
            transform: Translate { y: splash.showsUpdate ? 0 : 8 }

            Behavior on opacity { NumberAnimation { duration: 300; easing.type: Easing.OutQuad } }

            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("Updating to v") + splash.updateVersion + "…"
                color: Qt.rgba(1, 1, 1, 0.6)
                font { pixelSize: 15; weight: Font.Medium }
            }
            ProgressBar {
                objectName: "busy"
                width: 200
                // Its sweep is an animation that would go on ticking in a closed window.
                indeterminate: WindowActivity.shown
                palette.dark: Qt.rgba(1, 1, 1, 0.4)
            }
        }
    }

    ParallelAnimation {
        running: splash.WindowActivity.shown
        // A spring of response 0.8 s, damping 0.7: a little overshoot.
        NumberAnimation { target: splash; property: "logoScale"; to: 1; duration: 800; easing.type: Easing.OutBack; easing.overshoot: 1.2 }
        NumberAnimation { target: splash; property: "logoOpacity"; to: 1; duration: 800; easing.type: Easing.OutCubic }
        SequentialAnimation {
            PauseAnimation { duration: 300 }
            NumberAnimation { target: splash; property: "textOpacity"; to: 1; duration: 500; easing.type: Easing.OutQuad }
        }
    }

    Timer {
        objectName: "splashTime"
        interval: 1800
        running: splash.WindowActivity.shown
        onTriggered: splash.finished()
    }
}
