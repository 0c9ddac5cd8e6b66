import QtQuick
import Lanto.Screens.Wallpaper
import QtQuick.Controls
import Lanto.Core
import Lanto.Screens.Profile

// The current tab's cards; in select mode a click selects a card instead of opening it.
WallpaperGrid {
    id: grid

    required property ProfileTabs tabs

    model: tabs.currentList
    bottomInset: tabs.isSelectMode && tabs.selectedIds.length > 0 ? 80 : 40
    delegate: Item {
        id: cell
        required property wallpaper wallpaper
        readonly property bool selected: grid.tabs.selectedIds.indexOf(wallpaper.id) >= 0
        width: card.width
        height: card.height

        WallpaperCard { id: card; wallpaper: cell.wallpaper }

        Item {
            objectName: "selectionOverlay"
            visible: grid.tabs.isSelectMode
            width: card.width
            height: 140
            Rectangle {
                anchors.fill: parent
                radius: 14
                color: cell.selected ? Qt.rgba(0, 0, 0, 0.3) : "transparent"
            }
            // At the top leading corner, mirrored right to left.
            Rectangle {
                anchors { left: parent.left; top: parent.top; margins: 8 }
                width: 26; height: 26
                radius: 13
                color: cell.selected ? "white" : Qt.rgba(0, 0, 0, 0.4)
                border.width: cell.selected ? 0 : 1.5
                border.color: Qt.rgba(1, 1, 1, 0.5)
                SymbolIcon {
                    anchors.centerIn: parent
                    visible: cell.selected
                    name: "checkmark"
                    pointSize: 12
                    weight: Font.Bold
                    color: "black"
                }
            }
        }
        PressArea {
            objectName: "selectionTap"
            focusesItself: true
            ringRadius: 14
            Accessible.role: Accessible.CheckBox
            Accessible.name: cell.wallpaper.title
            Accessible.checkable: true
            Accessible.checked: cell.selected
            enabled: grid.tabs.isSelectMode
            onActivated: grid.tabs.toggleSelection(cell.wallpaper.id)
        }
    }
}
