import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.State

// The section's dark base colour, with the live gradient of the wallpaper
// screens over it.
Rectangle {
    id: background

    required property string section

    color: SidebarSections.backgroundColor(section)

    Loader {
        id: gradient
        anchors.fill: parent
        Component.onCompleted: setSource("qrc:/Lanto/Screens/Wallpaper/GradientBackground.qml",
                                         { section: background.section })
    }
    Binding {
        target: gradient.item
        when: gradient.item !== null
        property: "section"
        value: background.section
    }
}
