import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Core
import Lanto.Library

// A card's 220 by 140 picture: the placeholder gradient, the thumbnail, the
// hover preview, the sheen, the active marking and the two round buttons. It
// grows a little and its shadow deepens while the pointer is over the card.
Item {
    id: picture

    required property wallpaper wallpaper
    required property WallpaperManager manager
    required property WallpaperCardState cardState
    required property bool isHovered
    // What plays while hovered; none shows the still picture.
    property VideoPreviewManager preview: null

    signal opened()

    width: 220
    height: 140
    scale: isHovered ? 1.04 : 1
    Behavior on scale { SpringMotion { preset: AppAnimation.hover } }

    SoftShadow {
        x: 0
        y: picture.isHovered ? 6 : 3
        width: parent.width
        height: parent.height
        radius: 14
        blur: picture.isHovered ? 12 : 5
        color: Qt.rgba(0, 0, 0, picture.isHovered ? 0.25 : 0.15)
    }

    RoundedGradient {
        anchors.fill: parent
        radius: 14
        colors: picture.wallpaper.previewColors
    }

    WallpaperThumbnail {
        id: thumbnail
        objectName: "thumbnail"
        anchors.fill: parent
        radius: 14
        manager: picture.manager
        wallpaper: picture.wallpaper
    }

    VideoPlayerView {
        id: player
        anchors.fill: parent
        radius: 14
        preview: picture.preview
        visible: picture.preview !== null && picture.preview.hasPlayer
        opacity: picture.preview !== null && picture.preview.isReadyToDisplay ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: 400; easing.type: Easing.InOutQuad } }
    }

    RoundedGradient {
        anchors.fill: parent
        radius: 14
        colors: [Qt.rgba(1, 1, 1, 0.08), "transparent", Qt.rgba(0, 0, 0, 0.05)]
    }

    Rectangle {
        objectName: "activeMarking"
        anchors.fill: parent
        visible: picture.cardState.isActive
        radius: 14
        color: "transparent"
        border.color: AppColors.green
        border.width: 2.5
        enabled: false

        ActiveBadge {
            // Anchored, so a right-to-left layout puts it in the other corner.
            anchors.left: parent.left
            anchors.top: parent.top
            anchors.margins: 8
        }
    }

    PressArea {
        objectName: "pictureArea"
        Accessible.role: Accessible.Button
        Accessible.name: picture.wallpaper.title
        focusesItself: true
        ringRadius: 14
        onActivated: picture.opened()
    }

    CardControls {
        anchors.fill: parent
        wallpaper: picture.wallpaper
        manager: picture.manager
        cardState: picture.cardState
        shown: picture.isHovered
    }
}
