import QtQuick
import Lanto.Screens.Wallpaper

// The pressable surface of a control, filling it: a click, or Space, Enter or
// Return while the control has the keyboard focus, which Tab gives it. A ring
// around the control shows that focus (FocusKeys).
MouseArea {
    id: area

    property real ringRadius: Math.min(width, height) / 2
    // Whether the area itself is the control (it carries the accessible role
    // and name), rather than its parent.
    property bool focusesItself: false
    // The control that takes the focus; its enabled state gates the keys.
    readonly property Item control: focusesItself ? area : parent

    signal activated()

    anchors.fill: parent
    onClicked: area.activated()

    FocusKeys {
        control: area.control
        ringRadius: area.ringRadius
        onActivated: area.activated()
    }
}
