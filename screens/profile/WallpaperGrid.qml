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

    // A screen reader hears the cards as a list.
    Accessible.role: Accessible.List

    clip: true
    leftMargin: 32
    // Each cell carries the spacing after its card, and the last column needs
    // none: without this a column that fits would be dropped whenever the
    // width left over lies between the card and the card and its spacing.
    rightMargin: 32 - AppLayout.gridSpacing
    topMargin: 32
    bottomMargin: 32 + bottomInset
    cellWidth: AppLayout.gridColumnWidth + AppLayout.gridSpacing
    cellHeight: 200 + 24
    ScrollBar.vertical: ScrollBar {}
    delegate: WallpaperCard {}
    FocusFollower { flickable: grid }
}
