import QtQuick
import Lanto.Screens.Profile
import QtQuick.Controls
import QtQuick.Dialogs
import Lanto.Core
import Lanto.Library
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// My Wallpapers: the user's own imports and submissions, the drop zone that
// brings new files in, and the filter chips over the grid.
Item {
    id: view

    readonly property AppState appState: AppEnvironment.appState

    readonly property WallpaperManager manager: AppEnvironment.wallpaperManager

    // The application's: imports and submissions outlive this screen.
    readonly property QtObject imports: ImportQueue
    readonly property QtObject submission: SubmissionFlow
    OwnWallpapers { id: own }
    // Review states stay current while the screen is shown in a window on screen.
    readonly property bool onScreen: view.visible && WindowActivity.shown
    StatusRefresh { running: view.onScreen }

    FileDialog {
        id: chooser
        title: qsTr("Choose wallpaper files")
        fileMode: FileDialog.OpenFiles
        nameFilters: ImportFileTypes.nameFilters
        currentFolder: ChooserFolders.videos()
        onAccepted: {
            if (selectedFiles.length > 0)
                view.imports.start(selectedFiles)
        }
    }

    readonly property FocusFollower focusFollower: FocusFollower { flickable: scroller.contentItem }

    function selectWallpaper(wallpaper) {
        view.appState.selectedWallpaper = wallpaper
    }

    ScrollView {
        id: scroller
        anchors.fill: parent
        contentWidth: availableWidth
        // Shown only while there is more than the window holds.
        ScrollBar.vertical.policy: ScrollBar.AsNeeded

        Column {
            width: scroller.availableWidth
            spacing: 0

            Column {
                x: 32
                width: parent.width - 64
                bottomPadding: 24
                spacing: 8
                Item { width: 1; height: 52 }
                ReadText {
                    anchors.left: parent.left
                    text: qsTr("Upload")
                    font.pixelSize: 30; font.bold: true
                    color: "white"
                }
                ReadText {
                    anchors.left: parent.left
                    text: qsTr("Import your own wallpapers")
                    font.pixelSize: 13
                    color: Qt.rgba(1, 1, 1, 0.45)
                }
            }

            ImportDropZone {
                id: dropZone
                objectName: "dropZone"
                x: 32
                width: parent.width - 64
                idleHeight: 160
                isImporting: view.imports.isImporting
                importError: view.imports.importError
                importSuccess: view.imports.importSuccess
                currentFile: view.imports.currentFile
                currentIndex: view.imports.currentIndex
                totalFiles: view.imports.totalFiles
                onImportRequested: chooser.open()
                onFilesDropped: urls => view.imports.startCopies(urls)
                onErrorDismissed: view.imports.dismissError()
            }
            Item { width: 1; height: 24 }

            SubmissionBanners {
                x: 32
                width: parent.width - 64
                isSubmitting: view.manager.isSubmitting
                submissionProgress: view.manager.submissionProgress
                flow: view.submission
            }

            Row {
                objectName: "filterBar"
                visible: own.hasAny
                anchors.left: parent.left
                anchors.leftMargin: 32
                height: visible ? implicitHeight + 12 : 0
                spacing: 12
                ReadText {
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("My Wallpapers")
                    font.pixelSize: 17; font.weight: Font.DemiBold
                    color: Qt.rgba(1, 1, 1, 0.85)
                }
                Row {
                    spacing: 4
                    Repeater {
                        id: chips
                        objectName: "chips"
                        model: own.filters
                        FilterChip {
                            required property string modelData
                            title: modelData
                            isSelected: own.filter === modelData
                            onActivated: own.filter = modelData
                        }
                    }
                }
            }

            Grid {
                id: grid
                objectName: "wallpaperGrid"
                Accessible.role: Accessible.List
                visible: own.hasAny
                // Leading, mirrored right to left.
                anchors.left: parent.left
                anchors.leftMargin: 32
                columns: AppLayout.gridColumnCount(parent.width - 64)
                columnSpacing: 16
                rowSpacing: 24
                bottomPadding: 32
                Repeater {
                    objectName: "cards"
                    model: own.wallpapers
                    LocalWallpaperCard {
                        required property var model
                        // Bound through the model so the card takes the record's
                        // later changes (a required role keeps its first value).
                        wallpaper: model.wallpaper
                        onSelected: view.selectWallpaper(wallpaper)
                        onMakePublic: view.submission.submit(wallpaper)
                    }
                }
            }
        }
    }
}
