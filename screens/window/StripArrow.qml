import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Screens.Window

// A paging arrow of the display strip; dimmed and inert when it cannot act.
Item {
    id: arrow

    required property string symbol

    signal activated()

    width: 28
    height: 28

    Accessible.role: Accessible.Button
    Accessible.name: symbol === "chevron.backward" ? qsTr("Previous Displays") : qsTr("Next Displays")
    Accessible.onPressAction: if (arrow.enabled) arrow.activated()

    SymbolIcon {
        anchors.centerIn: parent
        name: arrow.symbol
        pointSize: 11
        weight: Font.Bold
        color: Qt.rgba(1, 1, 1, arrow.enabled ? 0.8 : 0.25)
    }
    PressArea {
        onActivated: arrow.activated()
    }
}
