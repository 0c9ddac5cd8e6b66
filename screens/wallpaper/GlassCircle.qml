import QtQuick

// The glass circle behind a round button: a thin translucent disc with a fine
// inner border. Fill the button with it, beneath its content. Takes no input.
Rectangle {
    radius: Math.min(width, height) / 2
    color: Qt.rgba(1, 1, 1, 0.12)
    border.color: Qt.rgba(1, 1, 1, 0.15)
    border.width: 0.5
    enabled: false
}
