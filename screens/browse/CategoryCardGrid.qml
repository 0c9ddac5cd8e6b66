import QtQuick
import Lanto.Screens.Browse

// The twelve category cards in equal columns, 10 apart; opened() names the clicked one.
Grid {
    id: grid

    signal opened(string category)

    spacing: 10

    Repeater {
        model: WallpaperCategoryModel {}

        CategoryCard {
            objectName: "categoryCard_" + name
            width: (grid.width - (grid.columns - 1) * grid.spacing) / grid.columns
            onClicked: grid.opened(name)
        }
    }
}
