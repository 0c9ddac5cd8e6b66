import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Screens.Window
import Lanto.Core
import Lanto.Screens.State

// One navigation row of the sidebar: the section's symbol (or a custom icon) and
// title (or a custom label), highlighted when selected, lighter when hovered.
Item {
    id: row

    required property string section
    required property bool isSelected
    property Component customIcon: null
    property string customLabel: ""

    signal activated()

    readonly property var symbols: ({
        "Discover": "sparkles", "Categories": "folder", "Upload": "arrow.up.doc",
        "Profile": "person.circle", "Settings": "gearshape"
    })
    readonly property color idleColor: Qt.rgba(1, 1, 1, 0.55)

    implicitHeight: content.implicitHeight + 20
    width: parent ? parent.width : implicitWidth

    Rectangle {
        anchors.fill: parent
        radius: 10
        color: row.isSelected ? Qt.rgba(1, 1, 1, 0.15 + 0.3 * 0.1)
             : hover.containsMouse ? Qt.rgba(1, 1, 1, 0.07) : "transparent"
        Behavior on color { ColorAnimation { duration: AppAnimation.snappy.response * 1000 } }
    }

    Row {
        id: content
        x: 14
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width - 28
        spacing: 12

        Loader {
            objectName: "icon"
            width: 22
            height: 22
            anchors.verticalCenter: parent.verticalCenter
            // Spelled out: Qt 6.4 compiles "??" between components to null.
            sourceComponent: row.customIcon !== null ? row.customIcon : symbolIcon
        }
        Text {
            id: label
            objectName: "label"
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 34
            elide: Text.ElideRight
            maximumLineCount: 1
            text: row.customLabel !== "" ? row.customLabel : qsTr(row.section)
            font { pixelSize: 13; weight: row.isSelected ? Font.DemiBold : Font.Normal }
            color: row.isSelected ? "white" : Qt.rgba(1, 1, 1, 0.65)
        }
    }

    Component {
        id: symbolIcon
        SymbolIcon {
            name: row.symbols[row.section] || ""
            pointSize: 15
            color: row.isSelected ? "white" : row.idleColor
        }
    }

    Accessible.role: Accessible.Button
    Accessible.name: label.text
    PressArea {
        id: hover
        hoverEnabled: true
        ringRadius: 10
        onActivated: row.activated()
    }
}
