import QtQuick
import Lanto.Core
import Lanto.Library
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The page of one wallpaper, laid over the current section: its large preview,
// title, creator, actions and facts. dismiss() asks the page's owner to close it.
Item {
    id: page

    required property wallpaper wallpaper
    readonly property WallpaperManager manager: AppEnvironment.wallpaperManager
    readonly property AppState appState: AppEnvironment.appState
    readonly property real contentWidth: Math.max(0, (width - 64) * 0.75)
    property bool appeared: false

    signal dismiss()

    clip: true
    opacity: appeared ? 1 : 0
    scale: appeared ? 1 : 0.96
    Behavior on opacity { SpringMotion { response: 0.45; dampingFraction: 0.9 } }
    Behavior on scale { SpringMotion { response: 0.45; dampingFraction: 0.9 } }

    WallpaperDetailState {
        id: detail
        manager: page.manager
        appState: page.appState
        initialWallpaper: page.wallpaper
    }
    WallpaperCardState {
        id: cardState
        manager: page.manager
        wallpaper: detail.wallpaper
    }
    VideoPreviewManager {
        id: preview
        objectName: "detailPreview"
    }

    Component.onCompleted: {
        appeared = true
        const url = detail.wallpaper.isVideo ? cardState.previewVideoURL() : ""
        if (url.toString() !== "")
            preview.load(url)
    }
    Component.onDestruction: preview.stop()

    // The page is opaque to clicks: none reaches the section beneath.
    MouseArea {
        anchors.fill: parent
    }

    // The preview is 16:9 and fitted: it narrows until the title, the buttons
    // and the facts fit under it, down to minimumPreviewHeight. Below that the
    // page scrolls.
    readonly property real minimumPreviewHeight: 160
    readonly property real bottomMargin: 24
    readonly property real heightAroundPreview: topSpacer.height + backBox.height + titleRow.height
                                                + facts.height + 4 * column.spacing + bottomMargin
    readonly property real previewWidth: Math.min(contentWidth,
        Math.max(minimumPreviewHeight, height - heightAroundPreview) * 16 / 9)

    Flickable {
        id: scroller
        objectName: "detailScroller"
        anchors.fill: parent
        contentWidth: width
        contentHeight: column.height + page.bottomMargin
        interactive: contentHeight > height + 0.5
        boundsBehavior: Flickable.StopAtBounds
        FocusFollower { flickable: scroller }

        Column {
            id: column
            x: 32
            width: page.width - 64
            spacing: 12

            Item { id: topSpacer; width: 1; height: 20 }

            Item {
                id: backBox
                anchors.left: parent.left
                width: back.width
                height: back.height + 8
                z: 1

                CapsuleButton {
                    id: back
                    objectName: "backButton"
                    Accessible.name: qsTr("Back")
                    horizontalPadding: 14
                    verticalPadding: 8
                    onClicked: page.dismiss()

                    SymbolIcon { name: "chevron.left"; pointSize: 12; weight: Font.Bold; anchors.verticalCenter: parent.verticalCenter }
                    Text { text: qsTr("Back"); color: "white"; font.pixelSize: 13; font.weight: Font.DemiBold }
                }
            }

            // On whole pixels: a frame painted to a fractional edge lets a line
            // of the picture beneath show through beside it.
            DetailPreview {
                objectName: "detailPicture"
                x: Math.round((parent.width - width) / 2)
                width: Math.floor(page.previewWidth)
                wallpaper: detail.wallpaper
                manager: page.manager
                preview: preview
            }

            Item {
                id: titleRow
                anchors.horizontalCenter: parent.horizontalCenter
                width: page.contentWidth - 8
                height: Math.max(title.height, buttons.height)

                DetailTitle {
                    id: title
                    // Anchored so that a right-to-left layout mirrors it away from the buttons.
                    anchors.left: parent.left
                    detail: detail
                    availableWidth: parent.width - buttons.width - 16
                    onCreatorClicked: page.appState.openCreatorFromWallpaper(detail.wallpaper)
                }
                DetailActions {
                    id: buttons
                    objectName: "detailActions"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    detail: detail
                    cardState: cardState
                    manager: page.manager
                    isOnline: NetworkMonitor.isConnected
                }
            }

            DetailFacts {
                id: facts
                objectName: "detailFacts"
                anchors.horizontalCenter: parent.horizontalCenter
                width: page.contentWidth - 8
                wallpaper: detail.wallpaper
                isFourK: detail.isFourK
                showsOfflineNotice: !NetworkMonitor.isConnected && !cardState.isDownloaded
            }
        }
    }
}
