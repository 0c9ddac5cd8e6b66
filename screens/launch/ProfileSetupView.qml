import QtQuick
import QtQuick.Controls
import Lanto.Screens.Launch
import Lanto.Service
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The handle set-up after the first sign-in of an account without a handle.
// The model keeps the handle clean, checks it and saves it; complete() follows
// a successful save.
Item {
    id: root

    property AuthService auth: AppEnvironment.auth
    readonly property ProfileSetupViewModel model: ProfileSetupViewModel {
        onComplete: root.complete()
    }

    signal complete()

    LaunchGradient { anchors.fill: parent }

    Column {
        anchors.centerIn: parent

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Set Up Your Profile")
            font.pixelSize: 28; font.bold: true
            color: "white"
        }
        Item { width: 1; height: 8 }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Choose a unique handle for your profile")
            font.pixelSize: 15; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.5)
        }
        Item { width: 1; height: 8 }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: root.auth.displayName.length > 0
            text: qsTr("Signed in as %1").arg(root.auth.displayName)
            font.pixelSize: 13
            color: Qt.rgba(1, 1, 1, 0.35)
        }
        Item { width: 1; height: 36 }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 280
            spacing: 8

            HandleField {
                width: parent.width
                model: root.model
                verdict: statusRow.message
            }
            HandleStatusRow {
                id: statusRow
                width: parent.width
                model: root.model
            }
            Text {
                objectName: "errorMessage"
                width: parent.width
                visible: root.model.errorMessage.length > 0
                wrapMode: Text.WordWrap
                text: root.model.errorMessage
                font.pixelSize: 12
                color: "red"
            }
        }
        Item { width: 1; height: 32 }

        Button {
            id: continueButton
            objectName: "continueButton"
            Accessible.name: qsTr("Continue")
            anchors.horizontalCenter: parent.horizontalCenter
            enabled: root.model.canContinue
            onClicked: root.model.save()
            contentItem: Item {
                BusyIndicator {
                    anchors.centerIn: parent
                    visible: root.model.isSaving
                    running: visible && WindowActivity.shown
                    scale: 0.7
                }
                Text {
                    anchors.centerIn: parent
                    visible: !root.model.isSaving
                    text: qsTr("Continue")
                    font.pixelSize: 14; font.weight: Font.DemiBold
                    color: "white"
                }
            }
            background: Rectangle {
                implicitWidth: 260; implicitHeight: 44
                radius: height / 2
                color: Qt.rgba(1, 1, 1, root.model.canContinue ? 0.2 : 0.08)
                border.color: Qt.rgba(1, 1, 1, 0.15)
                border.width: 1
            }
            FocusKeys { onActivated: continueButton.clicked() }
        }
    }
}
