import QtQuick
import Lanto.Screens.Wallpaper

// "Active" on a dark capsule: marks the wallpaper on the desktop. Takes no input.
Rectangle {
    implicitWidth: row.implicitWidth + 16
    implicitHeight: row.implicitHeight + 10
    radius: height / 2
    color: Qt.rgba(0, 0, 0, 0.5)
    enabled: false

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 4

        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 6
            height: 6
            radius: 3
            color: AppColors.green
        }
        Text {
            text: qsTr("Active")
            color: AppColors.green
            font.pixelSize: 9
            font.bold: true
        }
    }
}
