import QtQuick
import Lanto.Screens.Browse
import QtQuick.Controls
import Lanto.Core
import Lanto.Library
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The top of the category browser: the page title while no category is open;
// else the way back, the category's name with the search field, and the sort
// and ultra-wide filters. Every change goes to the browser's state.
Column {
    id: header

    required property CategoryBrowserModel browser
    readonly property WallpaperManager manager: AppEnvironment.wallpaperManager
    readonly property bool isOpen: browser.category !== ""

    signal backClicked()

    // Its lines start 32 in from the leading edge, mirrored right to left: a
    // column places its children from the left whatever the direction.
    bottomPadding: isOpen ? 4 : 16
    spacing: 8

    Item { width: 1; height: 52 }

    ReadText {
        visible: !header.isOpen
        anchors.left: parent.left
        anchors.leftMargin: 32
        text: qsTr("Categories")
        color: "white"
        font.pixelSize: 30
        font.bold: true
    }
    ReadText {
        visible: !header.isOpen
        anchors.left: parent.left
        anchors.leftMargin: 32
        text: qsTr("Browse wallpapers by style")
        color: Qt.rgba(1, 1, 1, 0.45)
        font.pixelSize: 13
    }

    Item {
        id: back
        objectName: "backButton"
        visible: header.isOpen
        anchors.left: parent.left
        anchors.leftMargin: 32
        width: backLabel.implicitWidth
        height: backLabel.implicitHeight
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("All Categories")

        Row {
            id: backLabel
            spacing: 6

            SymbolIcon {
                name: "chevron.backward"
                pointSize: 11
                weight: Font.DemiBold
                color: Qt.rgba(1, 1, 1, 0.7)
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                text: qsTr("All Categories")
                color: Qt.rgba(1, 1, 1, 0.7)
                font.pixelSize: 12
                font.weight: Font.Medium
            }
        }
        PressArea { ringRadius: 4; onActivated: header.backClicked() }
    }

    Item {
        visible: header.isOpen
        x: 32
        width: header.width - 64
        height: Math.max(title.height, search.height)

        Row {
            spacing: 8
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            SymbolIcon {
                name: categories.iconOf(header.browser.category)
                pointSize: 22
                color: categories.colorOf(header.browser.category)
                anchors.verticalCenter: parent.verticalCenter
            }
            ReadText {
                id: title
                text: qsTr(header.browser.category)
                color: "white"
                font.pixelSize: 30
                font.bold: true
            }
        }
        SearchField {
            id: search
            objectName: "categorySearch"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: header.browser.searchText
            clearable: header.browser.searchText !== ""
            accessibleName: qsTr("Search this category")
            onEdited: text => header.browser.searchText = text
        }
    }

    Row {
        visible: header.isOpen
        anchors.left: parent.left
        anchors.leftMargin: 32
        spacing: 8

        Rectangle {
            objectName: "directionButton"
            width: 26
            height: 26
            radius: 13
            color: Qt.rgba(1, 1, 1, 0.08)
            anchors.verticalCenter: parent.verticalCenter
            Accessible.role: Accessible.Button
            Accessible.name: header.browser.sortAscending ? qsTr("Sort Ascending") : qsTr("Sort Descending")
            Accessible.onPressAction: header.browser.sortAscending = !header.browser.sortAscending

            SymbolIcon {
                anchors.centerIn: parent
                name: header.browser.sortAscending ? "arrow.up" : "arrow.down"
                pointSize: 11
                color: Qt.rgba(1, 1, 1, 0.6)
            }
            PressArea { onActivated: header.browser.sortAscending = !header.browser.sortAscending }
        }
        ComboBox {
            id: sortMenu
            objectName: "sortMenu"
            width: 100
            height: 26
            model: header.browser.sortOrderNames.map(name => qsTr(name))
            currentIndex: header.browser.sortOrder
            Accessible.name: qsTr("Sort by")
            Accessible.description: displayText
            onActivated: index => header.browser.sortOrder = index
            background: Rectangle {
                radius: 6
                color: Qt.rgba(1, 1, 1, 0.08)
            }
            contentItem: Text {
                leftPadding: 10
                text: sortMenu.displayText
                color: Qt.rgba(1, 1, 1, 0.8)
                font.pixelSize: 12
                verticalAlignment: Text.AlignVCenter
            }
        }
        FilterPill {
            objectName: "ultraWidePill"
            visible: header.manager.hasUltraWideScreen
            anchors.verticalCenter: parent.verticalCenter
            title: qsTr("Ultra-Wide")
            isSelected: header.browser.filterUltraWide
            onClicked: header.browser.filterUltraWide = !header.browser.filterUltraWide
        }
    }

    WallpaperCategoryModel { id: categories }
}
