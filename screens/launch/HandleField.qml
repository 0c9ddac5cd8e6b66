import QtQuick
import QtQuick.Controls
import Lanto.Screens.Wallpaper
import Lanto.Screens.Launch

// The "@" and the text field of the handle set-up; every edit goes to the model,
// which may give the field back a cleaner text.
Rectangle {
    id: field

    required property ProfileSetupViewModel model
    // The verdict under the field, for a screen reader to give with the field.
    property string verdict

    implicitHeight: input.implicitHeight
    radius: 8
    color: Qt.rgba(1, 1, 1, 0.08)
    // The keyboard's focus shows on the field's edge, as the ring shows it on other controls.
    border.color: input.activeFocus ? AppColors.blue : Qt.rgba(1, 1, 1, 0.1)
    border.width: input.activeFocus ? 2 : 1

    Row {
        anchors.fill: parent
        Text {
            id: at
            anchors.verticalCenter: parent.verticalCenter
            leftPadding: 10
            text: qsTr("@")
            font.pixelSize: 14; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.4)
        }
        TextField {
            id: input
            objectName: "handleField"
            Accessible.name: qsTr("Handle")
            Accessible.description: field.verdict
            width: parent.width - at.width
            topPadding: 10; bottomPadding: 10
            leftPadding: 2; rightPadding: 10
            placeholderText: qsTr("yourhandle")
            placeholderTextColor: Qt.rgba(1, 1, 1, 0.3)
            font.pixelSize: 14
            color: "white"
            background: null
            text: field.model.handle
            onTextEdited: field.model.handle = text
            // The screen's only field: typing goes to it from the start.
            Component.onCompleted: forceActiveFocus()
        }
    }
}
