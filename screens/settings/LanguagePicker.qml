import QtQuick
import QtQuick.Controls
import Lanto.Screens.Settings

// The language row of the settings: the system's language, a divider, then
// each language under its own name.
Item {
    id: row

    required property SettingsViewModel settings

    implicitHeight: Math.max(texts.implicitHeight, picker.implicitHeight) + 8

    Column {
        id: texts
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
        delegate: ItemDelegate {
            required property int index
            required property string code
            required property string name
            width: picker.width
            text: code === "" ? qsTr("System Default") : name
            highlighted: picker.highlightedIndex === index
            Rectangle {
                visible: parent.index === 0
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: Qt.rgba(0, 0, 0, 0.15)
            }
        }
    }
}
