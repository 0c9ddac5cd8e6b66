import QtQuick
import Lanto.Screens.Wallpaper
import QtQuick.Controls
import QtQuick.Dialogs
import Lanto.Service
import Lanto.Screens.State
import Lanto.Screens.Profile

// The card in which the signed-in user changes their display name and avatar.
// Saving applies both here at once and closes the card; the upload follows.
// The photo library of the original becomes a file chooser for pictures.
Rectangle {
    id: sheet

    readonly property AuthService auth: AppEnvironment.auth
    signal dismiss

    // Modal: a screen reader stays in it, away from the dimmed page beneath.
    Accessible.role: Accessible.Dialog
    Accessible.name: qsTr("Edit Profile")

    width: 280
    height: content.implicitHeight + 48
    radius: 16
    color: Qt.rgba(0.11, 0.11, 0.15, 0.92)
    border.color: Qt.rgba(1, 1, 1, 0.1)

    ProfileEditor { id: editor }

    FileDialog {
        id: picker
        title: qsTr("Choose from File")
        nameFilters: ImportFileTypes.pictureFilters
        currentFolder: ChooserFolders.pictures()
        onAccepted: editor.pickAvatarFile(selectedFile)
    }

    Column {
        id: content
        anchors.centerIn: parent
        width: parent.width - 48
        spacing: 16

        ReadText {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Edit Profile")
            font.pixelSize: 16; font.bold: true
            color: "white"
        }

        Item {
            objectName: "avatarButton"
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Choose Picture")
            Accessible.onPressAction: picker.open()
            anchors.horizontalCenter: parent.horizontalCenter
            width: 72; height: 72
            AvatarCircle {
                anchors.fill: parent
                letterSize: 26
                fill: AvatarStyle.placeholderColor(sheet.auth.avatarColor)
                initials: AvatarStyle.editorInitials(nameField.text)
                image: editor.hasAvatarImage ? editor.avatarImage : sheet.auth.localAvatarImage
                source: sheet.auth.avatarUrl
            }
            Rectangle {
                anchors.fill: parent
                radius: width / 2
                color: "transparent"
                border.width: 2
                border.color: Qt.rgba(1, 1, 1, 0.2)
            }
            Rectangle {
                anchors.fill: parent
                radius: 36
                color: Qt.rgba(0, 0, 0, 0.5)
                opacity: avatarHover.hovered ? 1 : 0
                Behavior on opacity { NumberAnimation { duration: 150; easing.type: Easing.InOutQuad } }
                SymbolIcon { anchors.centerIn: parent; name: "pencil"; pointSize: 20; weight: Font.DemiBold }
            }
            HoverHandler { id: avatarHover }
            PressArea { onActivated: picker.open() }
        }

        Column {
            width: parent.width
            spacing: 4
            ReadText { anchors.left: parent.left; text: qsTr("Display Name"); font.pixelSize: 11; font.weight: Font.Medium; color: Qt.rgba(1, 1, 1, 0.4) }
            TextField {
                id: nameField
                objectName: "nameField"
                Accessible.name: qsTr("Display Name")
                width: parent.width
                placeholderText: qsTr("Your name")
                // Set, so that it follows the layout's direction rather than the name's.
                horizontalAlignment: TextInput.AlignLeft
                text: editor.name
                onTextEdited: editor.name = text
                font.pixelSize: 14
                color: "white"
                background: Rectangle { radius: 8; color: Qt.rgba(1, 1, 1, 0.08); border.color: Qt.rgba(1, 1, 1, 0.1) }
            }
        }

        Column {
            visible: sheet.auth.handle !== ""
            width: parent.width
            spacing: 4
            ReadText { anchors.left: parent.left; text: qsTr("Handle"); font.pixelSize: 11; font.weight: Font.Medium; color: Qt.rgba(1, 1, 1, 0.4) }
            Rectangle {
                width: parent.width
                height: handleText.implicitHeight
                radius: 8
                color: Qt.rgba(1, 1, 1, 0.04)
                border.color: Qt.rgba(1, 1, 1, 0.06)
                ReadText {
                    id: handleText
                    objectName: "handleText"
                    width: parent.width
                    padding: 10
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                    text: "@" + sheet.auth.handle
                    font.pixelSize: 14; font.weight: Font.Medium
                    color: Qt.rgba(1, 1, 1, 0.6)
                }
            }
        }

        Row {
            width: parent.width
            spacing: 12
            CapsuleButton {
                objectName: "cancelButton"
                width: (parent.width - 12) / 2
                label: qsTr("Cancel")
                glass: true
                onActivated: sheet.dismiss()
            }
            CapsuleButton {
                objectName: "saveButton"
                width: (parent.width - 12) / 2
                label: qsTr("Save")
                fillOpacity: 0.2
                outlineOpacity: 0.15
                enabled: editor.canSave
                opacity: enabled ? 1 : 0.5
                onActivated: {
                    if (editor.save())
                        sheet.dismiss()
                }
            }
        }
    }
}
