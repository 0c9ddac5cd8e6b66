import QtQuick

// A text button on a filled capsule.
Rectangle {
    id: button

    required property string label
    property color fill: "white"
    property real fillOpacity: 0.08
    property color textColor: "white"
    property int fontSize: 13
    signal activated

    Accessible.role: Accessible.Button
    Accessible.name: label

    implicitWidth: text.implicitWidth + 32
    implicitHeight: text.implicitHeight + 16
    radius: height / 2
    color: Qt.rgba(fill.r, fill.g, fill.b, fillOpacity)
    Text {
        id: text
        anchors.centerIn: parent
        text: button.label
        font.pixelSize: button.fontSize; font.weight: Font.DemiBold
        color: button.textColor
    }
    MouseArea { anchors.fill: parent; onClicked: button.activated() }
}
