import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper
import Lanto.Core

// The card of both confirmations: symbol, title, message, then Cancel on the left
// and the destructive action on the right. The material becomes a translucent fill.
OverlayLayer {
    id: card

    required property string symbol
    required property string title
    required property string message
    required property string actionTitle

    signal cancelled()
    signal confirmed()

    Rectangle {
        // Modal: a screen reader stays in it, away from the dimmed page beneath.
        Accessible.role: Accessible.Dialog
        Accessible.name: card.title
        anchors.centerIn: parent
        width: 280
        height: content.implicitHeight + 48
        radius: 16
        color: Qt.rgba(0.11, 0.11, 0.15, 0.88)
        border.color: Qt.rgba(1, 1, 1, 0.1)
        border.width: 1
        scale: card.shown ? 1 : 0.9
        Behavior on scale { SpringMotion { preset: AppAnimation.bouncy } }

        Column {
            id: content
            anchors.centerIn: parent
            width: parent.width - 48
            spacing: 16

            SymbolIcon {
                name: card.symbol
                pointSize: 24
                anchors.horizontalCenter: parent.horizontalCenter
                color: Qt.rgba(1, 1, 1, 0.7)
            }
            ReadText {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: card.title
                font { pixelSize: 16; bold: true }
                color: "white"
            }
            ReadText {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: card.message
                font { pixelSize: 12; weight: Font.Medium }
                color: Qt.rgba(1, 1, 1, 0.5)
            }
            Row {
                spacing: 12
                ConfirmationButton {
                    objectName: "cancelButton"
                    width: (content.width - 12) / 2
                    label: qsTr("Cancel")
                    onClicked: card.cancelled()
                }
                ConfirmationButton {
                    objectName: "confirmButton"
                    width: (content.width - 12) / 2
                    label: card.actionTitle
                    destructive: true
                    onClicked: card.confirmed()
                }
            }
        }
    }
}
