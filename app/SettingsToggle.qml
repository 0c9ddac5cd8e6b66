import QtQuick
import QtQuick.Controls

// A row of the settings screen: title, subtitle and a small switch bound to isOn.
Item {
    id: toggle

    required property string title
    required property string subtitle
    property bool isOn

    implicitHeight: Math.max(texts.implicitHeight, control.implicitHeight) + 8
    width: parent ? parent.width : implicitWidth

    Column {
        id: texts
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            text: toggle.title
            font.pixelSize: 13; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.85)
        }
        Text {
            text: toggle.subtitle
            font.pixelSize: 11
            color: Qt.rgba(1, 1, 1, 0.4)
        }
    }
    Switch {
        id: control
        objectName: "switch"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        scale: 0.8
        checked: toggle.isOn
        onToggled: toggle.isOn = checked
    }
}
