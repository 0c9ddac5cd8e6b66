import QtQuick
import Lanto.Screens.Browse
import Lanto.Core
import Lanto.Library
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The Discover page when not searching: the offline notice, then the loading
// placeholders until the first featured wallpaper is known, else the hero,
// the curated rows and the categories.
Flickable {
    id: page
    objectName: "discoverBrowse"

    readonly property WallpaperManager manager: AppEnvironment.wallpaperManager
    readonly property bool showsSkeleton: manager.isLoadingManifest && manager.featuredWallpapers.count === 0
    // A failed refresh with nothing from before to show: the notice alone, not empty rows.
    readonly property bool hasRows: manager.featuredWallpapers.count + manager.todaysPicks.count
                                    + manager.newThisWeek.count + manager.trending.count > 0
    readonly property bool showsRows: !showsSkeleton && (hasRows || manager.manifestError === "")

    contentWidth: width
    contentHeight: sections.height + 100
    boundsBehavior: Flickable.StopAtBounds
    clip: true

    FocusFollower { flickable: page }

    Column {
        id: sections
        width: page.width
        spacing: 32

        OfflineBanner {
            objectName: "offlineBanner"
            visible: !NetworkMonitor.isConnected
            x: 32
            width: page.width - 64
        }

        CatalogueErrorNotice {
            objectName: "catalogueError"
            visible: page.manager.manifestError !== ""
            x: 32
            width: page.width - 64
            reason: page.manager.manifestError
            onRetry: page.manager.retryCatalogue()
        }

        DiscoverSkeleton {
            objectName: "skeleton"
            visible: page.showsSkeleton
            width: page.width
        }

        Repeater {
            model: page.showsSkeleton ? null : firstFeatured
            HeroBanner {
                x: 32
                width: page.width - 64
                viewport: page
            }
        }

        WallpaperRow {
            objectName: "forYourDisplayRow"
            visible: page.showsRows && page.manager.hasUltraWideScreen && ultraWide.count > 0
            width: page.width
            title: qsTr("For Your Display")
            subtitle: qsTr("Wallpapers sized for your ultra-wide monitor")
            icon: "display"
            wallpapers: ultraWide
        }
        WallpaperRow {
            objectName: "todaysPicksRow"
            visible: page.showsRows
            width: page.width
            title: qsTr("Today's Picks")
            subtitle: qsTr("Curated daily by our team")
            icon: "sparkles"
            wallpapers: page.manager.todaysPicks
        }
        WallpaperRow {
            objectName: "newThisWeekRow"
            visible: page.showsRows
            width: page.width
            title: qsTr("New This Week")
            subtitle: qsTr("Fresh additions to the library")
            icon: "clock"
            wallpapers: page.manager.newThisWeek
        }
        WallpaperRow {
            objectName: "trendingRow"
            visible: page.showsRows
            width: page.width
            title: qsTr("Trending")
            subtitle: qsTr("Most downloaded this week")
            icon: "flame"
            wallpapers: trending
        }

        CategoryGrid {
            visible: !page.showsSkeleton
            x: 32
            width: page.width - 64
        }
    }

    WallpaperCutModel {
        id: firstFeatured
        source: page.manager.featuredWallpapers
        limit: 1
    }
    WallpaperCutModel {
        id: ultraWide
        source: page.manager.ultraWideWallpapers
        limit: 20
    }
    WallpaperCutModel {
        id: trending
        source: page.manager.trending
        limit: 8
    }
}
