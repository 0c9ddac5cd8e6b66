import QtQuick
import Lanto.Screens.Window

// The profile editor above the main window, built each time it opens.
OverlayLayer {
    id: layer

    signal dismissed()

    Loader {
        id: editor
        objectName: "profileEditor"
        anchors.centerIn: parent
        active: layer.visible
        source: "qrc:/Lanto/Screens/Profile/EditProfileSheet.qml"
        // The sheet says when it is done or cancelled, as the detail page does.
        onLoaded: if (item.dismiss) item.dismiss.connect(layer.dismissed)
    }
}
