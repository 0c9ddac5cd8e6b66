import QtQuick
import Lanto.App

// The profile editor above the main window, built each time it opens.
OverlayLayer {
    id: layer

    signal dismissed()

    Loader {
        id: editor
        anchors.centerIn: parent
        active: layer.visible
        source: "qrc:/Lanto/Screens/Profile/EditProfileSheet.qml"
        onLoaded: if (item.dismissed) item.dismissed.connect(layer.dismissed)
    }
}
