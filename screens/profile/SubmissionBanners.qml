import QtQuick
import Lanto.Screens.Wallpaper
import QtQuick.Controls
import Lanto.Screens.Profile

// The running submission's progress and the last failed one's message with
// "Try Again" and "Dismiss". Neither animates in or out.
Column {
    id: banners

    required property bool isSubmitting
    required property real submissionProgress
    required property SubmissionFlow flow

    spacing: 0

    Column {
        objectName: "progressBanner"
        visible: banners.isSubmitting
        width: parent.width
        bottomPadding: 16
        spacing: 8
        Item {
            width: parent.width
            height: uploadingLabel.implicitHeight
            ReadText {
                id: uploadingLabel
                anchors.left: parent.left
                text: qsTr("Uploading for review...")
                font.pixelSize: 13; font.weight: Font.Medium
                color: Qt.rgba(1, 1, 1, 0.7)
            }
            Text {
                objectName: "percentage"
                anchors.right: parent.right
                // Truncated: 0.999 reads 99%.
                text: Math.trunc(banners.submissionProgress * 100) + "%"
                font.pixelSize: 12; font.weight: Font.Medium
                color: Qt.rgba(1, 1, 1, 0.5)
            }
        }
        ProgressBar {
            width: parent.width
            from: 0
            to: 1
            value: banners.submissionProgress
        }
    }

    Item {
        objectName: "errorBanner"
        visible: banners.flow.submissionError !== ""
        width: parent.width
        height: visible ? errorRow.implicitHeight + 16 : 0
        // The message at the leading edge, its buttons at the trailing one; a long
        // message is elided before them.
        Row {
            id: errorRow
            anchors.left: parent.left
            spacing: 8
            SymbolIcon { name: "exclamationmark.triangle"; color: Qt.rgba(1, 0.27, 0.23, 0.8); anchors.verticalCenter: parent.verticalCenter }
            ReadText {
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, banners.width - errorButtons.width - 30)
                elide: Text.ElideRight
                text: banners.flow.submissionError
                font.pixelSize: 12
                color: Qt.rgba(1, 1, 1, 0.6)
            }
        }
        Row {
            id: errorButtons
            anchors.right: parent.right
            spacing: 8
            OutlinedTextButton {
                objectName: "tryAgainButton"
                visible: banners.flow.failedSubmissionWallpaper.isValid
                label: qsTr("Try Again")
                tint: "#0a84ff"
                outlineOpacity: 0.4
                onActivated: banners.flow.retry()
            }
            OutlinedTextButton {
                objectName: "dismissSubmissionButton"
                label: qsTr("Dismiss")
                tint: Qt.rgba(1, 1, 1, 0.5)
                outlineOpacity: 0.15
                onActivated: banners.flow.dismissError()
            }
        }
    }
}
