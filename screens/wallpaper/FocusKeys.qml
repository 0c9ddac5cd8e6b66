import QtQuick
import Lanto.Screens.Wallpaper

// The keyboard's way into a control, filling the item it lies in: Tab gives
// the control the focus, a ring around it shows that, and Space, Enter or
// Return then emit activated(), as a click would. Controls of Qt Quick
// Controls take it as well as PressArea.
Item {
    id: keys

    // The control that takes the focus; its enabled state gates the keys. None: no keys, no ring.
    property Item control: parent
    property real ringRadius: Math.min(width, height) / 2

    signal activated()

    anchors.fill: parent

    KeyActivation {
        control: keys.control
        onActivated: keys.activated()
    }

    Rectangle {
        objectName: "focusRing"
        anchors.fill: parent
        anchors.margins: -3
        radius: keys.ringRadius + 3
        visible: keys.control !== null && keys.control.activeFocus
        color: "transparent"
        border.color: AppColors.blue
        border.width: 2
    }
}
