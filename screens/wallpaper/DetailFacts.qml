import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Core

// The offline notice and the row of facts under the detail page's title:
// resolution, 4K, file size.
Column {
    id: facts

    required property wallpaper wallpaper
    required property bool showsOfflineNotice
    required property bool isFourK

    spacing: 12

    // Both rows start at the leading edge, mirrored right to left.
    Row {
        objectName: "offlineNotice"
        visible: facts.showsOfflineNotice
        anchors.left: parent.left
        anchors.leftMargin: 4
        spacing: 6

        SymbolIcon {
            anchors.verticalCenter: parent.verticalCenter
            name: "wifi.slash"
            pointSize: 11
            color: Qt.rgba(AppColors.orange.r, AppColors.orange.g, AppColors.orange.b, 0.8)
        }
        ReadText {
            text: qsTr("No internet connection — download unavailable")
            color: Qt.rgba(AppColors.orange.r, AppColors.orange.g, AppColors.orange.b, 0.8)
            font.pixelSize: 12
            font.weight: Font.Medium
        }
    }

    Row {
        anchors.left: parent.left
        anchors.leftMargin: 4
        spacing: 14

        Repeater {
            model: [
                { symbol: "display", text: facts.wallpaper.resolutionText, shown: true },
                { symbol: "4k.tv", text: "4K", shown: facts.isFourK },
                { symbol: "doc", text: WallpaperFormat.fileSize(facts.wallpaper.fileSize), shown: true }
            ]

            Row {
                required property var modelData
                objectName: "fact"
                visible: modelData.shown
                spacing: 4

                SymbolIcon {
                    anchors.verticalCenter: parent.verticalCenter
                    name: parent.modelData.symbol
                    pointSize: 10
                    color: Qt.rgba(1, 1, 1, 0.6)
                }
                ReadText {
                    objectName: "factText"
                    text: parent.modelData.text
                    color: Qt.rgba(1, 1, 1, 0.6)
                    font.pixelSize: 12
                    font.weight: Font.Medium
                }
            }
        }
    }
}
