import QtQuick
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The main window's live background: the section's base colour under three
// blurred, slowly turning glows of its two gradient colours and their mix. A
// section change only redraws the glows' colours; the turning never restarts.
// It turns only while its window is on screen and motion is welcome, and goes
// on from where it stopped. Takes no input.
Item {
    id: background

    required property string section

    readonly property var colours: SidebarSections.gradientColors(section)
    readonly property bool hasGradient: colours.length >= 2
    readonly property bool moving: WindowActivity.moving
    // Kept while a section without two gradient colours shows.
    property color first: "black"
    property color second: "black"

    enabled: false
    onColoursChanged: {
        if (hasGradient) {
            first = colours[0]
            second = colours[1]
        }
    }
    Component.onCompleted: coloursChanged()

    AmbientTurn {
        id: turn
        objectName: "rotation"
        running: background.moving
    }

    Rectangle {
        objectName: "baseColour"
        anchors.fill: parent
        color: SidebarSections.backgroundColor(background.section)
    }

    Item {
        anchors.fill: parent
        clip: true

        GlowLayer {
            colour: background.first; strength: 0.22; turned: turn.angle
            anchorX: 1.0324; anchorY: 0.5; startAngle: 15
            fieldX: 0.25; fieldY: 0.5; fieldWidth: 0.45; fieldHeight: 0.7875
        }
        GlowLayer {
            colour: background.second; strength: 0.18; turned: turn.angle
            anchorX: 0.9933; anchorY: 0.5; startAngle: -60
            fieldX: 0.55; fieldY: 0.5; fieldWidth: 0.375; fieldHeight: 0.6375
        }
        GlowLayer {
            colour: Qt.rgba((background.first.r + background.second.r) / 2, (background.first.g + background.second.g) / 2,
                (background.first.b + background.second.b) / 2, 1)
            strength: 0.14; turned: turn.angle
            anchorX: 0.8125; anchorY: 0.5; startAngle: 180
            fieldX: 0.8; fieldY: 0.5; fieldWidth: 0.6; fieldHeight: 0.6
        }
    }
}
