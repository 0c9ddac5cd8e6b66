import QtQuick
import Lanto.App
import Lanto.State

// The section's dark base colour, with the live gradient over it.
Rectangle {
    required property string section

    color: SidebarSections.backgroundColor(section)
    Behavior on color { ColorAnimation { duration: 700; easing.type: Easing.InOutQuad } }
}
