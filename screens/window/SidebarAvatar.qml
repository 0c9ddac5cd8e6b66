import QtQuick
import Lanto.Screens.Window
import Lanto.Screens.Wallpaper
import Lanto.Service

// The profile row's icon: the picture chosen here, else the account's avatar
// address, else the person symbol; always a circle.
Item {
    id: avatar

    required property AuthService auth

    SymbolIcon {
        anchors.centerIn: parent
        visible: !picture.hasPicture
        name: "person.circle"
        pointSize: 15
        color: Qt.rgba(1, 1, 1, 0.55)
    }
    RoundedPicture {
        id: picture
        objectName: "avatarPicture"
        anchors.fill: parent
        radius: width / 2
        image: avatar.auth ? avatar.auth.localAvatarImage : undefined
        source: avatar.auth ? avatar.auth.avatarUrl : ""
    }
}
