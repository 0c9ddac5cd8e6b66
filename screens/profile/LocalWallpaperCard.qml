import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Core
import Lanto.Screens.Profile
import Lanto.Screens.State

// The tile of one of the user's own wallpapers: its picture over a gradient,
// the review badge, the title and the kind line, and "Make Public" on a
// never-submitted video under the pointer.
Column {
    id: card

    property wallpaper wallpaper
    signal makePublic
    signal selected

    readonly property bool isHovered: hover.hovered
    readonly property bool showsMakePublic: LocalCardInfo.canMakePublic(wallpaper) && isHovered
                                            && !AppEnvironment.wallpaperManager.isSubmitting
    readonly property string badgeText: LocalCardInfo.badgeText(wallpaper.submissionStatus)

    width: 220
    spacing: 0

    Item {
        id: pictureArea
        objectName: "pictureArea"
        width: 220
        height: 140

        // The poster over the wallpaper's diagonal gradient, in rounded corners;
        // decoded off the main thread at the size shown, never the poster's own.
        RoundedPicture {
            objectName: "picture"
            anchors.fill: parent
            radius: 14
            source: LocalCardInfo.pictureFor(card.wallpaper)
            fallbackColors: card.wallpaper.previewColors.length > 0 ? card.wallpaper.previewColors
                                                                   : ["#2a2a3a", "#1a1a2a"]
        }

        Rectangle {
            objectName: "statusBadge"
            visible: card.badgeText !== ""
            anchors.top: parent.top
            anchors.right: parent.right
            anchors.margins: 8
            width: badgeLabel.implicitWidth + 16
            height: badgeLabel.implicitHeight + 6
            radius: height / 2
            readonly property color tint: LocalCardInfo.badgeColor(card.wallpaper.submissionStatus)
            color: Qt.rgba(tint.r, tint.g, tint.b, 0.85)
            Text {
                id: badgeLabel
                anchors.centerIn: parent
                text: card.badgeText
                font.pixelSize: 10; font.weight: Font.DemiBold
                color: "white"
            }
        }

        HoverHandler { id: hover }
        PressArea { ringRadius: 14; onActivated: card.selected() }
        Accessible.role: Accessible.Button
        Accessible.name: card.wallpaper.title
        // A screen reader hears the review state the badge shows.
        Accessible.description: card.badgeText

        Rectangle {
            objectName: "makePublicButton"
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Make Public")
            // Hidden only once faded out, so the fade plays both ways.
            visible: opacity > 0
            opacity: card.showsMakePublic ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 150; easing.type: Easing.InOutQuad } }
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 8
            width: makePublicLabel.implicitWidth + 24
            height: makePublicLabel.implicitHeight + 12
            radius: height / 2
            color: "#0a84ff"
            Row {
                id: makePublicLabel
                anchors.centerIn: parent
                spacing: 4
                SymbolIcon { anchors.verticalCenter: parent.verticalCenter; name: "globe"; pointSize: 11; color: "white" }
                Text {
                    text: qsTr("Make Public")
                    font.pixelSize: 11; font.weight: Font.DemiBold
                    color: "white"
                }
            }
            // Takes the click, so the picture beneath does not open the wallpaper too.
            PressArea { enabled: card.showsMakePublic; onActivated: card.makePublic() }
        }
    }

    ReadText {
        width: 220
        topPadding: 8
        leftPadding: 4
        rightPadding: 4
        text: card.wallpaper.title
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignLeft
        maximumLineCount: 1
        font.pixelSize: 12; font.weight: Font.DemiBold
        color: Qt.rgba(1, 1, 1, 0.85)
    }
    ReadText {
        objectName: "kindLine"
        anchors.left: parent.left
        topPadding: 2
        leftPadding: 4
        rightPadding: 4
        text: qsTr("%1 • %2").arg(LocalCardInfo.kindWord(card.wallpaper)).arg(card.wallpaper.resolutionText)
        font.pixelSize: 10
        color: Qt.rgba(1, 1, 1, 0.4)
    }
}
