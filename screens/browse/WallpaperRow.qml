import QtQuick
import Lanto.Screens.Browse
import Lanto.Screens.Wallpaper

// One curated shelf of the Discover page: a header over a line of cards that
// scrolls sideways to the page's edges. The cards do their own actions.
Column {
    id: row

    required property string title
    required property string subtitle
    required property var wallpapers // a model with the role wallpaper
    required property string icon

    spacing: 16

    SectionHeader {
        x: 32
        width: row.width - 64
        icon: row.icon
        title: row.title
        subtitle: row.subtitle
    }

    ListView {
        id: cards
        objectName: "rowCards"
        // A screen reader hears the cards as the row's list.
        Accessible.role: Accessible.List
        Accessible.name: row.title
        width: row.width
        height: contentItem.childrenRect.height > 0 ? contentItem.childrenRect.height + 12 : 12
        orientation: ListView.Horizontal
        spacing: 16
        leftMargin: 32
        rightMargin: 32
        topMargin: 6
        bottomMargin: 6
        boundsBehavior: Flickable.StopAtBounds
        model: row.wallpapers
        delegate: WallpaperCard {}
        FocusFollower { flickable: cards }
    }
}
