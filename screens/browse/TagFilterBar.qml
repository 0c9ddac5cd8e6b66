import QtQuick
import Lanto.Screens.Browse
import Lanto.Core
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The tag chips above a category's grid: series, themes and scenes in use,
// and the characters of the selected series in a second row. The caller owns
// the selection: it passes selectedTagId (empty for none) and takes selected().
Column {
    id: bar

    required property var wallpapers // the whole list the chips are taken from
    required property string selectedTagId

    signal selected(string tagId)

    visible: chips.mainChips.count > 0
    height: visible ? implicitHeight : 0
    spacing: 8

    TagFilterChips {
        id: chips
        manager: AppEnvironment.wallpaperManager
        wallpapers: bar.wallpapers
        selectedTagId: bar.selectedTagId
    }

    // Measures the rows' height.
    FilterPill {
        id: sizer
        visible: false
        title: qsTr("All")
        isSelected: false
    }

    component ChipRow: ListView {
        width: bar.width
        height: sizer.implicitHeight
        orientation: ListView.Horizontal
        spacing: 6
        leftMargin: 32
        rightMargin: 32
        boundsBehavior: Flickable.StopAtBounds
    }

    ChipRow {
        objectName: "mainChips"
        model: chips.mainChips
        // Lists put no spacing after their header.
        header: Item {
            width: allChip.width + 6
            height: allChip.height
            // Leading, with the gap on the trailing side in either direction.
            FilterPill {
                id: allChip
                objectName: "allChip"
                anchors.left: parent.left
                title: qsTr("All")
                isSelected: bar.selectedTagId === ""
                onClicked: bar.selected(chips.afterAll())
            }
        }
        delegate: Item {
            id: chip
            required property string tagId
            required property string name
            required property string kind
            required property bool selected
            width: kind === "separator" ? 5 : pill.width
            height: pill.height

            Rectangle {
                visible: chip.kind === "separator"
                anchors.centerIn: parent
                width: 1
                height: 16
                radius: 0.5
                color: Qt.rgba(1, 1, 1, 0.12)
            }
            FilterPill {
                id: pill
                objectName: "chip_" + chip.tagId
                visible: chip.kind !== "separator"
                title: qsTr(chip.name)
                isSelected: chip.selected
                onClicked: bar.selected(chips.afterMainChip(chip.tagId))
            }
        }
    }

    ChipRow {
        objectName: "characterChips"
        visible: chips.characterChips.count > 0
        height: visible ? sizer.implicitHeight : 0
        opacity: visible ? 1 : 0
        Behavior on opacity { SpringMotion { preset: AppAnimation.smooth } }
        model: chips.characterChips
        // Lists put no spacing after their header.
        header: Item {
            width: characterAll.width + 6
            height: characterAll.height
            FilterPill {
                id: characterAll
                objectName: "characterAllChip"
                anchors.left: parent.left
                title: qsTr("All")
                isSelected: bar.selectedTagId !== "" && bar.selectedTagId === chips.impliedSeriesId
                onClicked: bar.selected(chips.afterCharacterAll())
            }
        }
        delegate: FilterPill {
            required property string tagId
            required property string name
            required property bool selected
            objectName: "chip_" + tagId
            title: qsTr(name)
            isSelected: selected
            onClicked: bar.selected(chips.afterCharacter(tagId))
        }
    }
}
