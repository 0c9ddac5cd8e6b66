import QtQuick
import QtQuick.Controls
import Lanto.Screens.Wallpaper

// A row of the settings screen: title, subtitle and a small switch that shows
// isOn and reports each turn by turned().
Item {
    id: toggle

    required property string title
    required property string subtitle
    property bool isOn
    signal turned(bool on)

    implicitHeight: Math.max(texts.implicitHeight, control.implicitHeight) + 8
    width: parent ? parent.width : implicitWidth

    Column {
        id: texts
        // Beside the switch, on whichever side the layout puts it.
        anchors.left: parent.left
        anchors.right: control.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        ReadText {
            anchors.left: parent.left
            text: toggle.title
            font.pixelSize: 13; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.85)
        }
        ReadText {
            anchors.left: parent.left
            width: Math.min(implicitWidth, texts.width)
            elide: Text.ElideRight
            text: toggle.subtitle
            font.pixelSize: 11
            color: Qt.rgba(1, 1, 1, 0.4)
        }
    }
    Switch {
        id: control
        objectName: "switch"
        Accessible.name: toggle.title
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        checked: toggle.isOn
        // Any turn, also a screen reader's, which does not count as toggled(). The
        // owner stores it, and isOn follows the store, so the binding stays.
        onCheckedChanged: if (checked !== toggle.isOn) toggle.turned(checked)
        FocusKeys { onActivated: control.toggle() }
        // The small switch: a 30 x 17 track with a sliding knob.
        indicator: Rectangle {
            implicitWidth: 30
            implicitHeight: 17
            x: control.leftPadding
            anchors.verticalCenter: parent.verticalCenter
            radius: height / 2
            color: control.checked ? "#2f7cf6" : Qt.rgba(1, 1, 1, 0.2)
            Rectangle {
                x: control.checked ? parent.width - width - 1.5 : 1.5
                anchors.verticalCenter: parent.verticalCenter
                width: 14; height: 14
                radius: 7
                color: "white"
                Behavior on x { NumberAnimation { duration: 150; easing.type: Easing.OutCubic } }
            }
        }
    }
}
