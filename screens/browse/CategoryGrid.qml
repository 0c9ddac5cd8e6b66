import QtQuick
import Lanto.Screens.Browse
import Lanto.Core
import Lanto.Screens.State

// The Discover page's last section: every category, four to a row. A click
// hands the category to the category browser and switches to it.
Column {
    id: section

    readonly property AppState appState: AppEnvironment.appState

    function openCategory(category) {
        appState.pendingCategory = category
        if (appState.selectedSection !== "Categories")
            appState.selectedSection = "Categories"
    }

    spacing: 16

    SectionHeader {
        anchors.left: parent.left
        icon: "square.grid.2x2"
        title: qsTr("Browse by Category")
    }

    CategoryCardGrid {
        width: section.width
        columns: 4
        onOpened: category => section.openCategory(category)
    }
}
