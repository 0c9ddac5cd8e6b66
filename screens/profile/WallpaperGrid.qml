import QtQuick
import Lanto.Screens.Wallpaper
import QtQuick.Controls
import Lanto.Core
import Lanto.Screens.Profile

// A lazy grid of wallpaper cards in the shared column rule, 32 points in and
// bottomInset more below.
GridView {
    id: grid

    property real bottomInset: 40

    clip: true
    leftMargin: 32
    rightMargin: 32
    topMargin: 32
    bottomMargin: 32 + bottomInset
    cellWidth: AppLayout.gridColumnWidth + AppLayout.gridSpacing
    cellHeight: 200 + 24
    ScrollBar.vertical: ScrollBar {}
    delegate: WallpaperCard {}
}
