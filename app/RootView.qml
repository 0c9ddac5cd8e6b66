import QtQuick
import QtQuick.Controls
import Lanto.App
import Lanto.State

// The whole content of the main window: the splash, the welcome, the handle
// set-up or the library, as the launch model says.
Item {
    id: root

    LayoutMirroring.enabled: AppLanguage.isRightToLeft
    LayoutMirroring.childrenInherit: true

    LaunchPhaseModel {
        id: phases
        auth: AppEnvironment.auth
        updates: SparkleUpdateManager
    }

    Rectangle {
        anchors.fill: parent
        color: Qt.rgba(0.04, 0.04, 0.08, 1)
    }

    PhaseLayer {
        anchors.fill: parent
        shown: phases.phase === LaunchPhaseModel.Splash
        sourceComponent: LaunchView {
            showsUpdate: phases.isUpdating
            updateVersion: phases.splashVersion
            onFinished: phases.finishSplash()
            Component.onCompleted: phases.checkAppcast()
        }
    }
    PhaseLayer {
        anchors.fill: parent
        shown: phases.phase === LaunchPhaseModel.Onboarding
        sourceComponent: WelcomeStandIn {}
    }
    PhaseLayer {
        anchors.fill: parent
        shown: phases.phase === LaunchPhaseModel.ProfileSetup
        sourceComponent: HandleStandIn {}
    }
    PhaseLayer {
        anchors.fill: parent
        shown: phases.phase === LaunchPhaseModel.App
        sourceComponent: MainStandIn {}
    }

    // Stand-ins until the welcome, handle set-up and main window screens arrive.
    component WelcomeStandIn: Column {
        anchors.centerIn: parent
        spacing: 16
        Text { text: qsTr("Browse and set animated wallpapers on your desktop and lock screen"); color: "white" }
        Button { text: qsTr("Sign in with Apple"); onClicked: AppEnvironment.auth.signIn() }
        Connections {
            target: AppEnvironment.auth
            function onIsSignedInChanged() {
                if (AppEnvironment.auth.isSignedIn)
                    phases.completeOnboarding()
            }
        }
    }
    component HandleStandIn: Button {
        anchors.centerIn: parent
        text: qsTr("Continue")
        onClicked: phases.completeProfileSetup()
    }
    component MainStandIn: Text {
        anchors.centerIn: parent
        text: "Lanto"
        color: "white"
    }
}
