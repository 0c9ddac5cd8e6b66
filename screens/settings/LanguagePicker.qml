import QtQuick
import QtQuick.Controls
import Lanto.Screens.Settings
import Lanto.Screens.Wallpaper

// The language row of the settings: the system's language, a divider, then
// each language under its own name, in a dark capsule and a dark list that
// match the other rows.
Item {
    id: row

    required property SettingsViewModel settings

    implicitHeight: Math.max(texts.implicitHeight, picker.implicitHeight) + 8

    Column {
        id: texts
        // Anchored, not placed, so that a right-to-left layout mirrors it beside the picker.
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            text: qsTr("Language")
            font.pixelSize: 13; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.85)
        }
        Text {
            text: qsTr("Choose your preferred language")
            font.pixelSize: 11
            color: Qt.rgba(1, 1, 1, 0.4)
        }
    }
    ComboBox {
        id: picker
        objectName: "languagePicker"
        Accessible.name: qsTr("Language")
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 180
        model: LanguageListModel { id: languages }
        textRole: "name"
        valueRole: "code"
        displayText: currentValue === "" ? qsTr("System Default") : currentText
        currentIndex: languages.indexOf(row.settings.appLanguage)
        onActivated: row.settings.appLanguage = currentValue
        // While the list is open its own keys choose; closed, the keys open it.
        FocusKeys {
            control: picker.popup.visible ? null : picker
            ringRadius: 8
            onActivated: picker.popup.open()
        }
        implicitHeight: 28
        // The chevron's room on the side it lies on, which mirrors with the layout.
        leftPadding: mirrored ? 30 : 12
        rightPadding: mirrored ? 12 : 30
        font.pixelSize: 12

        background: Rectangle {
            radius: 8
            color: Qt.rgba(1, 1, 1, picker.hovered || picker.down ? 0.12 : 0.08)
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.1)
        }
        contentItem: Text {
            text: picker.displayText
            font: picker.font
            color: Qt.rgba(1, 1, 1, 0.85)
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        indicator: SymbolIcon {
            x: picker.mirrored ? 10 : picker.width - width - 10
            anchors.verticalCenter: parent.verticalCenter
            name: "chevron.down"
            pointSize: 10
            weight: Font.DemiBold
            color: Qt.rgba(1, 1, 1, 0.5)
        }
        popup: Popup {
            y: picker.height + 4
            width: picker.width
            implicitHeight: Math.min(list.contentHeight + 8, 320)
            padding: 4
            background: Rectangle {
                radius: 10
                color: Qt.rgba(0.11, 0.11, 0.15, 0.98)
                border.width: 1
                border.color: Qt.rgba(1, 1, 1, 0.1)
            }
            contentItem: ListView {
                id: list
                // The list lies in the window's overlay, outside the screens' mirrored tree.
                LayoutMirroring.enabled: row.LayoutMirroring.enabled
                LayoutMirroring.childrenInherit: true
                clip: true
                model: picker.delegateModel
                currentIndex: picker.highlightedIndex
                boundsBehavior: Flickable.StopAtBounds
            }
        }
        delegate: ItemDelegate {
            id: choice
            required property int index
            required property string code
            required property string name
            width: picker.width - 8
            height: 28
            text: code === "" ? qsTr("System Default") : name
            highlighted: picker.highlightedIndex === index
            contentItem: Text {
                text: choice.text
                font.pixelSize: 12
                color: choice.index === picker.currentIndex ? "white" : Qt.rgba(1, 1, 1, 0.75)
                font.weight: choice.index === picker.currentIndex ? Font.DemiBold : Font.Normal
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
            background: Rectangle {
                radius: 6
                color: choice.highlighted || choice.hovered ? Qt.rgba(1, 1, 1, 0.1) : "transparent"
                Rectangle {
                    visible: choice.index === 0
                    anchors.bottom: parent.bottom
                    width: parent.width
                    height: 1
                    color: Qt.rgba(1, 1, 1, 0.1)
                }
            }
        }
    }
}
