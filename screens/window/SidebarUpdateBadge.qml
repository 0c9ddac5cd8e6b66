import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Screens.Window

// The offer of a newer version at the sidebar's foot.
Item {
    id: badge

    required property string version

    signal update()

    implicitHeight: row.implicitHeight + 20

    Rectangle {
        anchors.fill: parent
        radius: 12
        color: Qt.rgba(1, 1, 1, hover.containsMouse ? 0.1 : 0.05)
        Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
    }
    Row {
        id: row
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10
        Rectangle {
            width: 28
            height: 28
            radius: 8
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: "#007aff" }
                GradientStop { position: 1; color: Qt.rgba(0.3, 0.5, 1.0, 1) }
            }
            SymbolIcon {
                anchors.centerIn: parent
                name: "arrow.down.circle.fill"
                pointSize: 12
                color: "white"
            }
        }
        Column {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            Text {
                text: qsTr("Update to %1").arg(badge.version)
                font { pixelSize: 12; weight: Font.DemiBold }
                color: Qt.rgba(1, 1, 1, 0.9)
            }
            Text {
                text: qsTr("Tap to install")
                font.pixelSize: 10
                color: Qt.rgba(1, 1, 1, 0.4)
            }
        }
    }
    Accessible.role: Accessible.Button
    Accessible.name: qsTr("Update to %1").arg(badge.version)
    PressArea {
        id: hover
        hoverEnabled: true
        ringRadius: 10
        onActivated: badge.update()
    }
}
