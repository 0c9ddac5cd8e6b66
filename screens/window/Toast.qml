import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper
import Lanto.Core

// The window's toast, 80 above its bottom edge: rises in from the bottom and
// fades while a message is set, and keeps its text and kind while it leaves.
// A failure is drawn as a warning. Screen readers hear it as an alert.
Item {
    id: toast

    required property string message
    property bool failure: false
    readonly property bool shown: message !== ""
    property string shownText: ""
    property bool shownFailure: false

    onMessageChanged: if (message !== "") { shownText = message; shownFailure = failure }
    onFailureChanged: if (message !== "") shownFailure = failure
    anchors.fill: parent

    Rectangle {
        id: capsule
        objectName: "toastCapsule"
        anchors.horizontalCenter: parent.horizontalCenter
        y: toast.shown ? parent.height - 80 - height : parent.height
        opacity: toast.shown ? 1 : 0
        visible: opacity > 0
        width: row.implicitWidth + 40
        height: row.implicitHeight + 24
        radius: height / 2
        color: Qt.rgba(0.11, 0.11, 0.15, 0.88)
        border.color: Qt.rgba(1, 1, 1, 0.1)
        border.width: 1
        Accessible.role: Accessible.AlertMessage
        Accessible.name: toast.shownText

        Behavior on y { SpringMotion { preset: AppAnimation.bouncy } }
        Behavior on opacity { SpringMotion { preset: AppAnimation.bouncy } }

        Row {
            id: row
            anchors.centerIn: parent
            spacing: 8
            SymbolIcon {
                objectName: "toastIcon"
                name: toast.shownFailure ? "exclamationmark.triangle" : "checkmark.circle.fill"
                pointSize: 14
                color: toast.shownFailure ? "#ff9f0a" : "#34c759"
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                objectName: "toastText"
                text: toast.shownText
                font { pixelSize: 13; weight: Font.Medium }
                color: "white"
                anchors.verticalCenter: parent.verticalCenter
                Accessible.ignored: true // the capsule says it
            }
        }
    }
}
