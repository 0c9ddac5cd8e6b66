import QtQuick
import Lanto.Screens.Browse
import Lanto.Core
import Lanto.Library
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The big banner of the first featured wallpaper: its picture, with the video
// playing muted while the banner is on screen, the badge, title, creator, size
// and two round buttons to apply and to favourite. A click elsewhere opens it.
Item {
    id: hero

    required property wallpaper wallpaper
    // The scroll view the banner sits in; its preview plays while it shows there.
    required property Flickable viewport
    readonly property WallpaperManager manager: AppEnvironment.wallpaperManager
    readonly property AppState appState: AppEnvironment.appState
    readonly property bool isHovered: hover.hovered
    readonly property color shadowColor: wallpaper.previewColors.length > 0 ? wallpaper.previewColors[0] : "transparent"

    height: 280

    WallpaperCardState {
        id: status
        manager: hero.manager
        wallpaper: hero.wallpaper
    }

    VideoPreviewManager {
        id: player
    }

    HeroPreview {
        manager: hero.manager
        wallpaper: hero.wallpaper
        player: player
        hovered: hero.isHovered
        visibleFraction: {
            // Hidden under a page opened over the screen, it shows none.
            if (!hero.visible || !hero.parent)
                return 0
            // Mapped from the parent at the banner's own y, so that a move of the
            // banner in its column (a notice shown above it) counts too.
            const top = hero.parent.mapToItem(hero.viewport.contentItem, 0, hero.y).y
            const shown = Math.min(top + hero.height, hero.viewport.contentY + hero.viewport.height)
                - Math.max(top, hero.viewport.contentY)
            return hero.height > 0 ? Math.max(0, Math.min(1, shown / hero.height)) : 0
        }
    }

    Item {
        id: picture
        anchors.fill: parent
        scale: hero.isHovered ? 1.003 : 1.0
        Behavior on scale { SpringMotion { preset: AppAnimation.gentle } }

        SoftShadow {
            y: hero.isHovered ? 10 : 6
            width: parent.width
            height: parent.height
            radius: 24
            blur: hero.isHovered ? 30 : 16
            color: Qt.rgba(hero.shadowColor.r, hero.shadowColor.g, hero.shadowColor.b, 0.3 * hero.shadowColor.a)
        }
        RoundedGradient {
            anchors.fill: parent
            radius: 24
            colors: hero.wallpaper.previewColors
        }
        WallpaperThumbnail {
            anchors.fill: parent
            radius: 24
            manager: hero.manager
            wallpaper: hero.wallpaper
            maximumPixelSize: 1280
        }
        VideoPlayerView {
            objectName: "heroVideo"
            anchors.fill: parent
            radius: 24
            preview: player
            visible: player.hasPlayer
            opacity: player.isReadyToDisplay ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 400; easing.type: Easing.InOutQuad } }
        }
        // Rounded like the picture; its top is clear, so only the lower corners show.
        Rectangle {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: Math.max(info.height, 2 * radius)
            radius: 24
            gradient: Gradient {
                GradientStop { position: 0; color: "transparent" }
                GradientStop { position: 1; color: Qt.rgba(0, 0, 0, 0.5) }
            }
        }
    }

    HoverHandler { id: hover }

    // Beneath the buttons, which take their own clicks.
    PressArea {
        objectName: "heroArea"
        Accessible.role: Accessible.Button
        Accessible.name: hero.wallpaper.title
        focusesItself: true
        ringRadius: 24
        onActivated: hero.appState.selectedWallpaper = hero.wallpaper
    }

    component Detail: Row {
        id: detail
        required property string symbol
        required property string text
        spacing: 4
        SymbolIcon { name: detail.symbol; pointSize: 11; color: Qt.rgba(1, 1, 1, 0.6) }
        ReadText { text: detail.text; color: Qt.rgba(1, 1, 1, 0.6); font.pixelSize: 11; font.weight: Font.Medium }
    }

    component HeroButton: Item {
        id: button
        required property string symbol
        required property color tint
        signal clicked()
        width: 36
        height: 36
        Accessible.role: Accessible.Button
        GlassCircle { anchors.fill: parent }
        SymbolIcon {
            anchors.centerIn: parent
            name: button.symbol
            color: button.tint
            pointSize: 15
        }
        PressArea {
            onActivated: button.clicked()
        }
    }

    // Its rows hang from the leading edge, mirrored right to left: a column
    // places its children from the left whatever the direction.
    Column {
        id: info
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        padding: 24
        spacing: 10

        Rectangle {
            anchors.left: parent.left
            anchors.leftMargin: info.leftPadding
            width: badge.implicitWidth + 20
            height: badge.implicitHeight + 8
            radius: height / 2
            color: Qt.rgba(1, 1, 1, 0.2)
            border.color: Qt.rgba(1, 1, 1, 0.1)
            border.width: 1
            ReadText {
                id: badge
                anchors.centerIn: parent
                text: qsTr("FEATURED")
                color: Qt.rgba(1, 1, 1, 0.9)
                font.pixelSize: 10
                font.bold: true
                font.letterSpacing: 1.5
            }
        }
        ReadText {
            objectName: "heroTitle"
            anchors.left: parent.left
            anchors.leftMargin: info.leftPadding
            width: Math.min(implicitWidth, info.width - 48)
            text: hero.wallpaper.displayTitle
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            color: "white"
            font.pixelSize: 28
            font.bold: true
        }
        Row {
            anchors.left: parent.left
            anchors.leftMargin: info.leftPadding
            spacing: 14
            CreatorLabel { creator: hero.wallpaper.creator; maximumWidth: info.width / 2 }
            Detail { symbol: "display"; text: hero.wallpaper.resolutionText }
            Detail { symbol: "doc"; text: WallpaperFormat.fileSize(hero.wallpaper.fileSize) }
        }
        Row {
            anchors.left: parent.left
            anchors.leftMargin: info.leftPadding
            topPadding: 2
            spacing: 10
            HeroButton {
                objectName: "heroApply"
                symbol: status.applySymbol
                tint: status.isActive ? AppColors.green : "white"
                Accessible.name: status.isActive ? qsTr("Active wallpaper")
                    : status.isDownloaded ? qsTr("Apply wallpaper") : qsTr("Download wallpaper")
                onClicked: hero.manager.apply(hero.wallpaper)
            }
            HeroButton {
                objectName: "heroFavorite"
                symbol: status.isFavorite ? "heart.fill" : "heart"
                tint: status.isFavorite ? AppColors.red : "white"
                Accessible.name: status.isFavorite ? qsTr("Remove from favorites") : qsTr("Add to favorites")
                onClicked: hero.manager.toggleFavorite(hero.wallpaper)
            }
        }
    }
}
