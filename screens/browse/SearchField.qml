import QtQuick
import Lanto.Screens.Browse
import Lanto.Screens.Wallpaper

// The search field of the browsing pages: magnifier, text and, while clearable,
// a clear button. The caller owns the text: it passes text and takes edited().
Rectangle {
    id: field

    required property string text
    // Whether the clear button shows; the caller decides by its own rule.
    required property bool clearable
    // What a screen reader calls the field; each page names its own.
    required property string accessibleName

    signal edited(string text)

    width: 220
    height: row.implicitHeight + 16
    radius: 8
    color: Qt.rgba(1, 1, 1, 0.08)
    // The keyboard's focus shows on the field's edge, as the ring shows it on other controls.
    border.color: input.activeFocus ? AppColors.blue : Qt.rgba(1, 1, 1, 0.1)
    border.width: input.activeFocus ? 2 : 1

    Row {
        id: row
        x: 12
        width: parent.width - 24
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        SymbolIcon {
            id: magnifier
            name: "magnifyingglass"
            pointSize: 12
            color: Qt.rgba(1, 1, 1, 0.4)
            anchors.verticalCenter: parent.verticalCenter
        }

        TextInput {
            id: input
            objectName: "searchInput"
            // Not from x: mirrored right to left, x follows the width and the row never settles.
            width: row.width - magnifier.width - row.spacing - (clear.visible ? clear.width + row.spacing : 0)
            anchors.verticalCenter: parent.verticalCenter
            text: field.text
            color: "white"
            font.pixelSize: 13
            clip: true
            selectByMouse: true
            activeFocusOnTab: true
            Accessible.role: Accessible.EditableText
            Accessible.name: field.accessibleName
            onTextEdited: field.edited(text)

            Text {
                text: qsTr("Search...")
                visible: input.text.length === 0
                color: Qt.rgba(1, 1, 1, 0.3)
                font: input.font
            }
        }

        Item {
            id: clear
            objectName: "clearButton"
            visible: field.clearable
            width: clearIcon.width
            height: clearIcon.height
            anchors.verticalCenter: parent.verticalCenter
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Clear")

            SymbolIcon {
                id: clearIcon
                name: "xmark.circle.fill"
                pointSize: 12
                color: Qt.rgba(1, 1, 1, 0.4)
            }

            PressArea {
                onActivated: field.edited("")
            }
        }
    }
}
