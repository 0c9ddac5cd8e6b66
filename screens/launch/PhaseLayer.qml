import QtQuick
import Lanto.Core

// One launch phase: made while it shows or fades, faded in and out with the gentle spring.
Loader {
    id: layer

    required property bool shown

    active: shown || opacity > 0
    visible: opacity > 0
    opacity: shown ? 1 : 0

    Behavior on opacity {
        NumberAnimation { duration: AppAnimation.gentle.response * 1000; easing.type: Easing.OutCubic }
    }
}
