import QtQuick
import Lanto.Screens.Wallpaper

// A round 32 point button over a card's picture, on the glass circle. It fades
// and grows in while shown and takes clicks only then.
Item {
    id: button

    required property bool shown
    default property alias content: face.data

    signal clicked()

    width: 32
    height: 32
    // Shown, too, while the keyboard is on it.
    readonly property bool showing: shown || activeFocus
    opacity: showing ? 1 : 0
    scale: showing ? 1 : 0.7
    // The card's own spring for its controls.
    Behavior on opacity { SpringMotion { response: 0.3; dampingFraction: 0.75 } }
    Behavior on scale { SpringMotion { response: 0.3; dampingFraction: 0.75 } }

    Accessible.role: Accessible.Button

    GlassCircle {
        anchors.fill: parent
    }

    Item {
        id: face
        anchors.fill: parent
    }

    PressArea {
        enabled: button.shown && button.enabled
        onActivated: button.clicked()
    }
}
