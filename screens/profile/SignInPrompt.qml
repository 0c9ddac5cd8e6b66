import QtQuick
import Lanto.Screens.Wallpaper
import Lanto.Service
import Lanto.Screens.State

// What the profile shows to nobody signed in: a prompt and the sign-in button.
Item {
    readonly property AuthService auth: AppEnvironment.auth

    Column {
        anchors.centerIn: parent
        spacing: 16
        SymbolIcon {
            anchors.horizontalCenter: parent.horizontalCenter
            name: "person.circle"
            pointSize: 56
            color: Qt.rgba(1, 1, 1, 0.15)
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Sign in to see your profile")
            font.pixelSize: 17; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.6)
        }
        Rectangle {
            objectName: "signInButton"
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Sign in with Apple")
            anchors.horizontalCenter: parent.horizontalCenter
            width: 220
            height: 44
            radius: 10
            color: "white"
            // On the button itself, so a screen reader hears it is disabled too.
            enabled: !auth.isLoading
            opacity: enabled ? 1 : 0.5
            Text {
                anchors.centerIn: parent
                text: qsTr("Sign in with Apple")
                font.pixelSize: 15; font.weight: Font.Medium
                color: "black"
            }
            PressArea {
                ringRadius: 10
                onActivated: auth.beginSignIn()
            }
        }
    }
}
