import QtQuick
import Lanto.Screens.Browse
import Lanto.Screens.Wallpaper

// What Discover shows when the catalogue could not be loaded: the reason and a
// way to try again. The library clears its error when a refresh starts, so the
// notice goes as soon as one does, and stays gone once one succeeds.
Rectangle {
    id: notice

    required property string reason
    signal retry()

    implicitHeight: content.implicitHeight + 32
    radius: 10
    color: Qt.rgba(1, 0.231, 0.188, 0.12)
    border.color: Qt.rgba(1, 0.231, 0.188, 0.35)
    border.width: 1
    Accessible.role: Accessible.AlertMessage
    Accessible.name: title.text
    Accessible.description: notice.reason

    Row {
        id: content
        x: 16
        width: parent.width - 32
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12

        SymbolIcon {
            id: symbol
            anchors.verticalCenter: parent.verticalCenter
            name: "exclamationmark.triangle"
            pointSize: 16
            color: Qt.rgba(1, 1, 1, 0.75)
        }
        Column {
            id: texts
            anchors.verticalCenter: parent.verticalCenter
            width: content.width - symbol.width - retryButton.width - 2 * content.spacing
            spacing: 2

            Text {
                id: title
                objectName: "catalogueErrorTitle"
                width: parent.width
                text: qsTr("Wallpapers could not be loaded")
                color: "white"
                font.pixelSize: 14
                font.weight: Font.DemiBold
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                objectName: "catalogueErrorReason"
                width: parent.width
                text: notice.reason
                color: Qt.rgba(1, 1, 1, 0.55)
                font.pixelSize: 12
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
        }
        CapsuleButton {
            id: retryButton
            objectName: "catalogueRetryButton"
            anchors.verticalCenter: parent.verticalCenter
            Accessible.name: qsTr("Try Again")
            onClicked: notice.retry()

            Text { text: qsTr("Try Again"); color: "white"; font.pixelSize: 13; font.weight: Font.DemiBold }
        }
    }
}
