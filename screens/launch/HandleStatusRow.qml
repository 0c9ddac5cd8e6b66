import QtQuick
import QtQuick.Controls
import Lanto.Screens.Launch

// Under the handle field: the pending check, or the verdict on the handle.
Row {
    id: status

    required property ProfileSetupViewModel model
    readonly property bool showsVerdict: !model.isChecking && model.verdict !== ProfileSetupViewModel.NoVerdict

    height: 16
    spacing: 6

    BusyIndicator {
        anchors.verticalCenter: parent.verticalCenter
        visible: status.model.isChecking
        running: visible
        width: 16; height: 16
        scale: 0.6
        opacity: 0.5
    }
    Text {
        objectName: "statusText"
        anchors.verticalCenter: parent.verticalCenter
        visible: status.model.isChecking || status.showsVerdict
        font.pixelSize: 12
        color: status.model.isChecking ? Qt.rgba(1, 1, 1, 0.4)
             : status.model.verdict === ProfileSetupViewModel.Available ? "green" : "red"
        text: {
            if (status.model.isChecking)
                return qsTr("Checking availability...")
            if (status.model.verdict === ProfileSetupViewModel.Available)
                return "\u2714 " + qsTr("Available")
            return "\u2716 " + (status.model.availabilityReason ?? qsTr("Not available"))
        }
    }
}
