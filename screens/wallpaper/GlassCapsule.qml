import QtQuick

// The glass capsule behind a control: translucent white with a thin border.
// Fill the control with it, beneath its content. Takes no input.
Rectangle {
    radius: height / 2
    color: Qt.rgba(1, 1, 1, 0.15)
    border.color: Qt.rgba(1, 1, 1, 0.1)
    border.width: 1
    enabled: false
}
