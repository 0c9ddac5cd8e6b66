import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Screens.Profile
import QtQuick.Controls
import Lanto.Core
import Lanto.Screens.State

// The panel through which files come into the library: a dashed drop target
// that also opens the file chooser, then the import's progress, then its
// result. It imports nothing itself; the owner runs the import and passes the state in.
Item {
    id: zone

    required property bool isImporting
    required property string importError
    required property string importSuccess
    required property string currentFile
    required property int currentIndex
    required property int totalFiles

    signal importRequested
    signal filesDropped(var urls)
    signal errorDismissed

    // The idle target fills this height; the other states are as tall as their
    // box, so a long message pushes what lies below down instead of covering it.
    property real idleHeight: 160
    implicitHeight: state_ === "importing" ? importingBox.height : state_ === "error" ? errorBox.height
                  : state_ === "success" ? successBox.height : idleHeight

    property bool isHovered: false
    readonly property bool isDropTargeted: dropArea.containsDrag && dropArea.accepting
    readonly property string state_: isImporting ? "importing" : importError !== "" ? "error"
                                    : importSuccess !== "" ? "success" : "idle"

    DroppedFiles {
        id: drops
        onCopied: copies => zone.filesDropped(copies)
    }

    ImportResultBox {
        id: importingBox
        width: zone.width
        objectName: "importingBox"
        visible: zone.state_ === "importing"
        padding: 32
        color: Qt.rgba(1, 1, 1, 0.06)
        border.color: Qt.rgba(1, 1, 1, 0.1)
        BusyIndicator { objectName: "busy"; anchors.horizontalCenter: parent.horizontalCenter; width: 20; height: 20; running: parent.visible && WindowActivity.shown }
        Text {
            objectName: "processingText"
            visible: zone.totalFiles >= 2
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Processing %1 of %2").arg(zone.currentIndex).arg(zone.totalFiles)
            font.pixelSize: 14; font.weight: Font.DemiBold
            color: Qt.rgba(1, 1, 1, 0.85)
        }
        Text {
            visible: zone.currentFile !== ""
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: zone.currentFile
            elide: Text.ElideMiddle
            font.pixelSize: 13; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.7)
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Transcoding to Apple format • HEVC Main 10")
            font.pixelSize: 11
            color: Qt.rgba(1, 1, 1, 0.4)
        }
    }

    ImportResultBox {
        id: errorBox
        width: zone.width
        objectName: "errorBox"
        visible: zone.state_ === "error"
        color: Qt.rgba(1, 0.27, 0.23, 0.08)
        border.color: Qt.rgba(1, 0.27, 0.23, 0.2)
        SymbolIcon { anchors.horizontalCenter: parent.horizontalCenter; name: "exclamationmark.triangle"; pointSize: 24; color: Qt.rgba(1, 0.27, 0.23, 0.8) }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: zone.importError
            font.pixelSize: 12
            color: Qt.rgba(1, 1, 1, 0.6)
        }
        Button {
            objectName: "dismissButton"
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Dismiss")
            onClicked: zone.errorDismissed()
        }
    }

    ImportResultBox {
        id: successBox
        width: zone.width
        objectName: "successBox"
        visible: zone.state_ === "success"
        color: Qt.rgba(0.19, 0.82, 0.35, 0.08)
        border.color: Qt.rgba(0.19, 0.82, 0.35, 0.2)
        SymbolIcon { anchors.horizontalCenter: parent.horizontalCenter; name: "checkmark.circle.fill"; pointSize: 24; color: Qt.rgba(0.19, 0.82, 0.35, 1) }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            text: zone.importSuccess
            font.pixelSize: 13; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.8)
        }
    }

    ImportDropTarget {
        id: idle
        objectName: "idleTarget"
        anchors.fill: parent
        visible: zone.state_ === "idle"
        isHovered: zone.isHovered
        isDropTargeted: zone.isDropTargeted
        onClicked: zone.importRequested()
        onPointerOver: inside => zone.isHovered = inside
    }

    DropArea {
        id: dropArea
        property bool accepting: false
        anchors.fill: parent
        // Only the idle panel takes drops.
        enabled: zone.state_ === "idle"
        onEntered: drag => {
            accepting = drops.accepts(drag.urls)
            drag.accepted = accepting
        }
        onExited: accepting = false
        onDropped: drop => {
            accepting = false
            drops.take(drop.urls)
            drop.accept()
        }
    }
}
