import QtQuick
import QtQuick.Controls
import Lanto.Screens.Launch
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// Under the handle field: the pending check, or the verdict on the handle.
Row {
    id: status

    required property ProfileSetupViewModel model
    readonly property bool showsVerdict: !model.isChecking && model.verdict !== ProfileSetupViewModel.NoVerdict
    // What the row says, without its symbol: read out by a screen reader with the field.
    readonly property string message: {
        if (model.isChecking)
            return qsTr("Checking availability...")
        if (!showsVerdict)
            return ""
        if (model.verdict === ProfileSetupViewModel.Available)
            return qsTr("Available")
        return model.availabilityReason ?? qsTr("Not available")
    }

    height: 16
    spacing: 6

    BusyIndicator {
        anchors.verticalCenter: parent.verticalCenter
        visible: status.model.isChecking
        running: visible && WindowActivity.shown
        width: 16; height: 16
        scale: 0.6
        opacity: 0.5
    }
    SymbolIcon {
        objectName: "verdictSymbol"
        anchors.verticalCenter: parent.verticalCenter
        visible: status.showsVerdict
        readonly property bool available: status.model.verdict === ProfileSetupViewModel.Available
        name: available ? "checkmark.circle.fill" : "xmark.circle.fill"
        pointSize: 12
        color: available ? "green" : "red"
    }
    Text {
        objectName: "statusText"
        anchors.verticalCenter: parent.verticalCenter
        visible: status.model.isChecking || status.showsVerdict
        font.pixelSize: 12
        color: status.model.isChecking ? Qt.rgba(1, 1, 1, 0.4)
             : status.model.verdict === ProfileSetupViewModel.Available ? "green" : "red"
        Accessible.role: Accessible.StaticText
        Accessible.name: status.message
        text: status.message
    }
}
