import QtQuick
import Lanto.Core
import Lanto.Library
import Lanto.Screens.Wallpaper

// The detail page's large picture: the gradient, the thumbnail and, once it
// is ready, the muted looping video, in a rounded frame with a soft shadow.
Item {
    id: frame

    required property wallpaper wallpaper
    required property WallpaperManager manager
    required property VideoPreviewManager preview

    height: Math.round(width * 9 / 16)

    SoftShadow {
        x: 0
        y: 8
        width: parent.width
        height: parent.height
        radius: 16
        blur: 14
        color: Qt.rgba(0, 0, 0, 0.3)
    }

    RoundedGradient {
        anchors.fill: parent
        radius: 16
        colors: frame.wallpaper.previewColors
    }

    WallpaperThumbnail {
        id: thumbnail
        objectName: "detailThumbnail"
        anchors.fill: parent
        radius: 16
        manager: frame.manager
        wallpaper: frame.wallpaper
        maximumPixelSize: 1920
    }

    VideoPlayerView {
        id: player
        anchors.fill: parent
        radius: 16
        preview: frame.preview
        visible: frame.preview.hasPlayer
        opacity: frame.preview.isReadyToDisplay ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: 400; easing.type: Easing.InOutQuad } }
    }

    Rectangle {
        anchors.fill: parent
        radius: 16
        color: "transparent"
        border.color: Qt.rgba(1, 1, 1, 0.08)
        border.width: 1
        enabled: false
    }
}
