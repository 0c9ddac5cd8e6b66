import QtQuick

// The rounded box the drop zone shows its progress and results on.
Rectangle {
    default property alias content: column.data
    property real padding: 24

    height: column.implicitHeight + 2 * padding
    radius: 16
    border.width: 1

    Column {
        id: column
        anchors.centerIn: parent
        width: parent.width - 32
        spacing: 8
    }
}
