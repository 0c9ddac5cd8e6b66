import QtQuick
import Lanto.Screens.Launch
import Lanto.Screens.Window
import Lanto.Screens.State

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
        sourceComponent: OnboardingView {
            auth: AppEnvironment.auth
            onboardingWallpaperSubtitle: qsTr("Browse and set animated wallpapers on your desktop and lock screen")
            onComplete: phases.completeOnboarding()
        }
    }
    PhaseLayer {
        anchors.fill: parent
        shown: phases.phase === LaunchPhaseModel.ProfileSetup
        sourceComponent: ProfileSetupView {
            onComplete: phases.completeProfileSetup()
        }
    }
    PhaseLayer {
        anchors.fill: parent
        shown: phases.phase === LaunchPhaseModel.App
        sourceComponent: MainView {}
    }
}
