import QtQuick
import Lanto.Screens.Wallpaper

// A card's hover preview: while the pointer is over a video wallpaper its
// video plays, muted and looping; leaving stops it. The player is made on the
// first hover that needs one and kept for the card's life.
QtObject {
    id: hoverPreview

    required property WallpaperCardState cardState
    required property bool isHovered
    property VideoPreviewManager player: null

    readonly property Component maker: Component {
        VideoPreviewManager {
            maximumVideoSize: Qt.size(440, 280)
        }
    }

    onIsHoveredChanged: {
        const url = isHovered && cardState.wallpaper.isVideo ? cardState.previewVideoURL() : ""
        if (url.toString() !== "") {
            if (!player)
                player = maker.createObject(hoverPreview)
            player.load(url)
        } else if (!isHovered || !cardState.wallpaper.isVideo) {
            if (player)
                player.stop()
        }
    }
}
