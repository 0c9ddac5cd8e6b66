import QtQuick
import Lanto.Screens.Launch
import Lanto.Screens.State

// What a check for updates the user asked for found, shown for a few seconds.
// Lanto cannot install a release here: it only says that one is out.
// Screen readers hear the message as an alert when it appears.
Rectangle {
    id: notice

    property string message: ""

    width: label.implicitWidth + 32
    height: label.implicitHeight + 20
    radius: height / 2
    color: Qt.rgba(1, 1, 1, 0.12)
    border.color: Qt.rgba(1, 1, 1, 0.15)
    opacity: message.length > 0 ? 1 : 0
    visible: opacity > 0
    Accessible.role: Accessible.AlertMessage
    Accessible.name: notice.message

    Behavior on opacity { NumberAnimation { duration: 300; easing.type: Easing.OutQuad } }

    Text {
        id: label
        objectName: "updateNoticeText"
        anchors.centerIn: parent
        text: notice.message
        color: "white"
        font.pixelSize: 13
        Accessible.ignored: true // the notice says it
    }

    Timer {
        id: hide
        interval: 4000
        onTriggered: notice.message = ""
    }

    Connections {
        target: SparkleUpdateManager
        function onUserCheckFinished(outcome, version, error) {
            if (outcome === SparkleUpdateManager.UpdateAvailable)
                notice.message = qsTr("Lanto %1 is available.").arg(version)
            else if (outcome === SparkleUpdateManager.UpToDate)
                notice.message = qsTr("Lanto is up to date.")
            else
                notice.message = qsTr("Could not check for updates: %1").arg(error)
            hide.restart()
        }
    }
}
