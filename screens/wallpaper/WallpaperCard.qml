import QtQuick
import Lanto.Core
import Lanto.Screens.Wallpaper
import Lanto.Library
import Lanto.Screens.State

// One wallpaper in a grid or row: its picture, which opens the detail page and
// previews the video while the pointer is over it, then the title, the creator
// (which opens the creator's page) and the download count.
Item {
    id: card

    required property wallpaper wallpaper
    readonly property WallpaperManager manager: AppEnvironment.wallpaperManager
    readonly property AppState appState: AppEnvironment.appState
    readonly property bool isHovered: hover.hovered

    // One group for a screen reader, named after the wallpaper: its picture,
    // title, creator and count belong together.
    Accessible.role: Accessible.Grouping
    Accessible.name: wallpaper.displayTitle

    width: 220
    implicitWidth: 220
    implicitHeight: picture.height + textBlock.height

    WallpaperCardState {
        id: cardState
        manager: card.manager
        wallpaper: card.wallpaper
    }

    CardPreview {
        id: preview
        cardState: cardState
        isHovered: card.isHovered
    }

    HoverHandler {
        id: hover
    }

    CardPicture {
        id: picture
        wallpaper: card.wallpaper
        manager: card.manager
        cardState: cardState
        isHovered: card.isHovered
        preview: preview.player
        onOpened: card.appState.openWallpaper(card.wallpaper)
    }

    CardText {
        id: textBlock
        y: picture.height
        wallpaper: card.wallpaper
        onCreatorClicked: card.appState.selectedCreator = card.wallpaper.creator
    }
}
