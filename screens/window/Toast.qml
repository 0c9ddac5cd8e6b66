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
        // Never wider than the window less its margins: a long message wraps to a
        // second line and is elided after it.
        readonly property real widest: Math.max(0, toast.width - 2 * 32)
        width: Math.min(icon.width + 8 + messageText.width + 40, widest)
        height: Math.max(icon.height, messageText.height) + 24
        radius: height / 2
        color: Qt.rgba(0.11, 0.11, 0.15, 0.88)
        border.color: Qt.rgba(1, 1, 1, 0.1)
        border.width: 1
        Accessible.role: Accessible.AlertMessage
        Accessible.name: toast.shownText

        Behavior on y { SpringMotion { preset: AppAnimation.bouncy } }
        Behavior on opacity { SpringMotion { preset: AppAnimation.bouncy } }

        // The symbol at the leading edge and the text after it, mirrored right to left.
        SymbolIcon {
            id: icon
            objectName: "toastIcon"
            anchors.left: parent.left
            anchors.leftMargin: 20
            anchors.verticalCenter: parent.verticalCenter
            name: toast.shownFailure ? "exclamationmark.triangle" : "checkmark.circle.fill"
            pointSize: 14
            color: toast.shownFailure ? "#ff9f0a" : "#34c759"
        }
        Text {
            id: messageText
            objectName: "toastText"
            anchors.left: icon.right
            anchors.leftMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            // Measured on one line apart from the text itself, whose own width
            // follows its wrapping.
            width: Math.min(Math.ceil(oneLine.advanceWidth), capsule.widest - 40 - icon.width - 8)
            text: toast.shownText
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
            font { pixelSize: 13; weight: Font.Medium }
            color: "white"
            Accessible.ignored: true // the capsule says it
        }
        TextMetrics {
            id: oneLine
            font: messageText.font
            text: toast.shownText
        }
    }
}
