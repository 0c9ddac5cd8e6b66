import QtQuick
import Lanto.Screens.Browse
import Lanto.Screens.Wallpaper

// The Discover page while searching: the number of matches over their cards,
// or a message quoting the text as typed when nothing matches.
WallpaperGrid {
    id: results

    required property DiscoverSearch search
    readonly property int resultCount: search.results.count

    model: search.results
    // The page's room below its last section: 32 of spacing and a 100-point
    // spacer, less the row spacing the last row's cells already hold.
    bottomMargin: 32 + 100 - 24

    header: Item {
        width: results.width
        height: results.resultCount === 0 ? empty.height : countLine.height + 8

        ReadText {
            id: countLine
            objectName: "resultCount"
            visible: results.resultCount > 0
            // 32 in from the page's leading edge. Placed by hand: the grid's
            // trailing cell spacing makes it lopsided, so a mirrored anchor would
            // miss the page's margin on the right.
            x: LayoutMirroring.enabled ? results.page.width - results.pageInset - 32 - width : 32 - results.pageInset
            text: (results.resultCount === 1 ? qsTr("%1 result") : qsTr("%1 results"))
                  .arg(Number(results.resultCount).toLocaleString(Qt.locale(), "f", 0))
            color: Qt.rgba(1, 1, 1, 0.4)
            font.pixelSize: 13
            font.weight: Font.Medium
        }

        Column {
            id: empty
            objectName: "noResults"
            visible: results.resultCount === 0
            x: -results.pageInset
            width: results.page.width
            spacing: 12
            topPadding: 60

            SymbolIcon {
                anchors.horizontalCenter: parent.horizontalCenter
                name: "magnifyingglass"
                pointSize: 40
                color: Qt.rgba(1, 1, 1, 0.15)
            }
            ReadText {
                objectName: "noResultsText"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, parent.width - 64)
                elide: Text.ElideMiddle
                text: qsTr("No results for ") + "\"" + results.search.text + "\""
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 15
                font.weight: Font.Medium
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("Try a different search term")
                color: Qt.rgba(1, 1, 1, 0.3)
                font.pixelSize: 12
            }
        }
    }
}
