import QtQuick
import Lanto.Screens.Settings
import Lanto.Screens.Profile
import Lanto.Screens.Wallpaper
import Lanto.Core
import Lanto.Service
import Lanto.Screens.State

// The settings screen's account section: signed in, the avatar, the name and
// "Sign Out", which asks the main window for a confirmation; signed out, the
// prompt and "Sign In", which opens the web sign-in.
Item {
    id: row

    readonly property AuthService auth: AppEnvironment.auth
    readonly property AppState appState: AppEnvironment.appState

    implicitHeight: Math.max(signedIn.implicitHeight, signedOut.implicitHeight) + 8
    implicitWidth: 400

    AccountPresentation {
        id: account
        auth: row.auth
    }

    Row {
        id: signedIn
        objectName: "signedInLayout"
        visible: row.auth.isSignedIn
        anchors { left: parent.left; right: parent.right; verticalCenter: parent.verticalCenter }
        spacing: 12

        Item {
            width: 36
            height: 36
            Rectangle {
                anchors.fill: parent
                radius: 18
                visible: !avatar.hasPicture
                color: Qt.rgba(1, 1, 1, 0.15)
                Text {
                    objectName: "initials"
                    anchors.centerIn: parent
                    text: account.initials
                    font { pixelSize: 14; weight: Font.DemiBold }
                    color: Qt.rgba(1, 1, 1, 0.9)
                }
            }
            RoundedPicture {
                id: avatar
                anchors.fill: parent
                radius: 18
                source: row.auth.avatarUrl
            }
        }
        ReadText {
            objectName: "accountName"
            anchors.verticalCenter: parent.verticalCenter
            width: signedIn.width - 36 - signOut.width - 24
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignLeft
            text: account.accountName
            font { pixelSize: 13; weight: Font.Medium }
            color: Qt.rgba(1, 1, 1, 0.85)
        }
        Rectangle {
            id: signOut
            objectName: "signOutButton"
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Sign Out")
            anchors.verticalCenter: parent.verticalCenter
            width: signOutText.implicitWidth + 24
            height: signOutText.implicitHeight + 12
            radius: height / 2
            color: Qt.rgba(1, 1, 1, 0.08)
            Text {
                id: signOutText
                anchors.centerIn: parent
                text: qsTr("Sign Out")
                font { pixelSize: 12; weight: Font.Medium }
                color: Qt.rgba(1, 1, 1, 0.5)
            }
            PressArea { onActivated: row.appState.showSignOutConfirm = true }
        }
    }

    Item {
        id: signedOut
        objectName: "signedOutLayout"
        visible: !row.auth.isSignedIn
        anchors.fill: parent
        implicitHeight: 32

        Column {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2
            Text {
                text: qsTr("Sign in with Apple")
                font { pixelSize: 13; weight: Font.Medium }
                color: Qt.rgba(1, 1, 1, 0.85)
            }
            Text {
                text: qsTr("Sync favorites and purchases across devices")
                font.pixelSize: 11
                color: Qt.rgba(1, 1, 1, 0.4)
            }
        }
        Rectangle {
            objectName: "signInButton"
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Sign In")
            anchors { right: parent.right; verticalCenter: parent.verticalCenter }
            width: 140
            height: 32
            radius: 6
            color: "white"
            enabled: !row.auth.isLoading
            opacity: enabled ? 1 : 0.5
            Text {
                anchors.centerIn: parent
                text: qsTr("Sign In")
                font { pixelSize: 13; weight: Font.Medium }
                color: "black"
            }
            PressArea {
                ringRadius: 6
                onActivated: row.auth.beginSignIn()
            }
        }
    }
}
