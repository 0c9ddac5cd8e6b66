import QtQuick

// The dark translucent panel a floating strip stands on. Purely decorative:
// clicks and hovers pass to what lies over and beneath it.
Rectangle {
    required property real cornerRadius

    radius: cornerRadius
    color: Qt.rgba(0.11, 0.11, 0.12, 0.8)
    enabled: false
}
