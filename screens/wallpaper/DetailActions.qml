import QtQuick
import Lanto.Core
import Lanto.Library
import Lanto.Screens.Wallpaper

// The detail page's buttons: make public, delete, favourite and apply (or download).
Row {
    id: actions

    required property WallpaperDetailState detail
    required property WallpaperCardState cardState
    required property WallpaperManager manager
    required property bool isOnline

    readonly property bool applyUnavailableOffline: !isOnline && !cardState.isDownloaded

    spacing: 14

    CapsuleButton {
        objectName: "makePublicButton"
        Accessible.name: qsTr("Make Public")
        anchors.verticalCenter: parent.verticalCenter
        visible: actions.detail.canMakePublic
        onClicked: actions.detail.makePublic()

        SymbolIcon { name: "globe"; pointSize: 12; weight: Font.DemiBold; anchors.verticalCenter: parent.verticalCenter }
        Text { text: qsTr("Make Public"); color: "white"; font.pixelSize: 13; font.weight: Font.DemiBold }
    }

    CardButton {
        objectName: "deleteButton"
        Accessible.name: qsTr("Delete")
        anchors.verticalCenter: parent.verticalCenter
        width: 36
        height: 36
        shown: true
        visible: actions.cardState.isDownloaded && !actions.cardState.isActive
        onClicked: actions.detail.requestDeletion()

        SymbolIcon { anchors.centerIn: parent; name: "trash"; pointSize: 14 }
    }

    CardButton {
        objectName: "detailFavoriteButton"
        anchors.verticalCenter: parent.verticalCenter
        width: 36
        height: 36
        shown: true
        Accessible.name: actions.cardState.isFavorite ? qsTr("Remove from favorites") : qsTr("Add to favorites")
        onClicked: actions.manager.toggleFavorite(actions.detail.wallpaper)

        SymbolIcon {
            anchors.centerIn: parent
            name: actions.cardState.isFavorite ? "heart.fill" : "heart"
            color: actions.cardState.isFavorite ? AppColors.red : "white"
            pointSize: 15
        }
    }

    CapsuleButton {
        objectName: "detailApplyButton"
        Accessible.name: applyLabel.text
        anchors.verticalCenter: parent.verticalCenter
        horizontalPadding: 20
        verticalPadding: 10
        enabled: !actions.cardState.isDownloading && !actions.applyUnavailableOffline
        opacity: actions.applyUnavailableOffline ? 0.4 : 1
        onClicked: actions.manager.apply(actions.detail.wallpaper)

        DownloadProgressRing {
            anchors.verticalCenter: parent.verticalCenter
            visible: actions.cardState.isDownloading
            progress: actions.cardState.downloadProgress
            size: 14
        }
        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            visible: !actions.cardState.isDownloading
            name: actions.cardState.applySymbol
            color: actions.cardState.isActive ? AppColors.green : "white"
            pointSize: 14
            weight: Font.DemiBold
        }
        Text {
            id: applyLabel
            objectName: "applyLabel"
            text: actions.cardState.isDownloading ? qsTr("Downloading")
                : actions.cardState.isActive ? qsTr("Active")
                : actions.cardState.isDownloaded ? qsTr("Apply") : qsTr("Download")
            color: "white"
            font.pixelSize: 14
            font.weight: Font.DemiBold
        }
    }
}
