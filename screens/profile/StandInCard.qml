import QtQuick
import Lanto.Core
import Lanto.State

// Stands in for the shared wallpaper card until the cards module provides it.
Item {
    id: card

    required property wallpaper wallpaper

    width: 220
    height: 180

    Rectangle {
        id: picture
        width: 220
        height: 140
        radius: 14
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0; color: card.wallpaper.previewColors[0] ?? "#303040" }
            GradientStop { position: 1; color: card.wallpaper.previewColors[1] ?? "#202030" }
        }
        TapHandler { onTapped: AppEnvironment.appState.openWallpaper(card.wallpaper) }
    }
    Text {
        anchors.top: picture.bottom
        anchors.topMargin: 8
        width: parent.width
        text: card.wallpaper.displayTitle
        elide: Text.ElideRight
        font.pixelSize: 12
        font.weight: Font.DemiBold
        color: Qt.rgba(1, 1, 1, 0.85)
    }
}
