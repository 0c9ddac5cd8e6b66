import QtQuick
import QtQuick.Controls
import Lanto.Service
import Lanto.Screens.State
import Lanto.Screens.Wallpaper

// The welcome screen shown while no account is signed in: the product in
// three rows and the web sign-in. The account service finishes the sign-in
// when the browser comes back; the screen then emits complete().
Item {
    id: root

    required property string onboardingWallpaperSubtitle
    property real contentOpacity: 0.0
    property AuthService auth: AppEnvironment.auth

    // Once the account is signed in; not for a sign-in that was there before.
    signal complete()

    Behavior on contentOpacity {
        NumberAnimation { duration: 500; easing.type: Easing.Bezier; easing.bezierCurve: [0, 0, 0.58, 1, 1, 1] }
    }
    Component.onCompleted: contentOpacity = 1.0

    Connections {
        target: root.auth
        function onIsSignedInChanged() {
            if (root.auth.isSignedIn)
                root.complete()
        }
    }

    LaunchGradient { anchors.fill: parent }

    component FeatureRow: Row {
        id: row

        required property string symbol
        required property string title
        required property string detail

        spacing: 14
        Item {
            width: 28; height: 28
            SymbolIcon {
                anchors.centerIn: parent
                name: row.symbol
                pointSize: 18
                color: Qt.rgba(1, 1, 1, 0.7)
            }
        }
        Column {
            spacing: 2
            Text {
                text: row.title
                font.pixelSize: 14; font.weight: Font.DemiBold
                color: Qt.rgba(1, 1, 1, 0.9)
            }
            Text {
                width: Math.min(implicitWidth, 380 - 28 - row.spacing)
                wrapMode: Text.WordWrap
                text: row.detail
                font.pixelSize: 12
                color: Qt.rgba(1, 1, 1, 0.45)
            }
        }
    }

    Column {
        objectName: "content"
        anchors.centerIn: parent
        opacity: root.contentOpacity

        LantoLogo { anchors.horizontalCenter: parent.horizontalCenter }
        Item { width: 1; height: 24 }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Welcome to Lanto")
            font.pixelSize: 32; font.bold: true
            color: "white"
        }
        Item { width: 1; height: 8 }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Live wallpapers for your Mac")
            font.pixelSize: 16; font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.5)
        }
        Item { width: 1; height: 48 }
        // The feature texts are shown as they are, in every language.
        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 16
            FeatureRow { symbol: "sparkles"; title: "Stunning Video Wallpapers"; detail: root.onboardingWallpaperSubtitle }
            FeatureRow { symbol: "arrow.down.circle"; title: "Download & Sync"; detail: "Keep your favorites synced and available offline" }
            FeatureRow { symbol: "display"; title: "Multi-Display Support"; detail: "Set different wallpapers on each connected display" }
        }
        Item { width: 1; height: 48 }
        Button {
            id: signInButton
            objectName: "signInButton"
            Accessible.name: qsTr("Sign in with Apple")
            anchors.horizontalCenter: parent.horizontalCenter
            enabled: !root.auth.isLoading
            onClicked: root.auth.beginSignIn()
            contentItem: Text {
                text: qsTr("Sign in with Apple")
                font.pixelSize: 16; font.weight: Font.Medium
                color: "black"
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle { implicitWidth: 260; implicitHeight: 44; radius: 10; color: "white" }
            FocusKeys { ringRadius: 10; onActivated: signInButton.clicked() }
        }
        Item { width: 1; height: 16 }
    }
}
