import QtQuick
import QtTest
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The live background follows the section's colours without restarting its turning.
Item {
    id: stage
    width: 800
    height: 400

    GradientBackground {
        id: background
        anchors.fill: parent
        section: "Discover"
    }

    TestCase {
        name: "GradientBackground"
        when: windowShown

        function test_sectionChangesOnlyColours() {
            const rotation = findChild(background, "rotation")
            verify(rotation.running)
            // Turned some way, so that a restart would show as a smaller angle.
            tryVerify(() => rotation.angle > 0, 3000)
            const turned = rotation.angle
            const base = findChild(background, "baseColour")
            compare(base.color, SidebarSections.backgroundColor("Discover"))
            const before = background.first
            background.section = "Categories"
            compare(base.color, SidebarSections.backgroundColor("Categories"))
            verify(rotation.running)
            compare(findChild(background, "rotation"), rotation)
            verify(rotation.angle >= turned, "the turn started again")
            if (SidebarSections.gradientColors("Categories").length >= 2)
                compare(background.first, SidebarSections.gradientColors("Categories")[0])
            background.section = "Discover"
            compare(background.first, before)
        }
    }
}
