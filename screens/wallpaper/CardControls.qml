import QtQuick
import Lanto.Core
import Lanto.Screens.Wallpaper
import Lanto.Library

// The apply (or download) and favourite buttons in a card picture's bottom
// corners, shown while the pointer is over the card.
Item {
    id: controls

    required property wallpaper wallpaper
    required property WallpaperManager manager
    required property WallpaperCardState cardState
    required property bool shown

    // While a download runs the apply button is disabled, yet its place still
    // takes the click, so the picture beneath does not open the detail page.
    MouseArea {
        anchors.fill: applyButton
        enabled: controls.shown
    }

    CardButton {
        id: applyButton
        objectName: "applyButton"
        // Anchored, so a right-to-left layout swaps the two corners.
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.margins: 10
        shown: controls.shown
        enabled: !controls.cardState.isDownloading
        Accessible.name: controls.cardState.isActive ? qsTr("Active wallpaper")
            : controls.cardState.isDownloaded ? qsTr("Apply wallpaper") : qsTr("Download wallpaper")
        onClicked: controls.manager.apply(controls.wallpaper)

        DownloadProgressRing {
            objectName: "progressRing"
            anchors.centerIn: parent
            visible: controls.cardState.isDownloading
            progress: controls.cardState.downloadProgress
            size: 13
        }
        SymbolIcon {
            objectName: "applySymbol"
            anchors.centerIn: parent
            visible: !controls.cardState.isDownloading
            name: controls.cardState.applySymbol
            color: controls.cardState.isActive ? AppColors.green : "white"
            pointSize: 13
        }
    }

    CardButton {
        objectName: "favoriteButton"
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 10
        shown: controls.shown
        Accessible.name: controls.cardState.isFavorite ? qsTr("Remove from favorites") : qsTr("Add to favorites")
        onClicked: controls.manager.toggleFavorite(controls.wallpaper)

        SymbolIcon {
            anchors.centerIn: parent
            name: controls.cardState.isFavorite ? "heart.fill" : "heart"
            color: controls.cardState.isFavorite ? AppColors.red : "white"
            pointSize: 13
        }
    }
}
