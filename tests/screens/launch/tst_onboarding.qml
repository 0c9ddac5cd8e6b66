import QtQuick
import QtTest
import Lanto.Screens.Launch
import Lanto.Screens.State

// The welcome screen fades in and starts the web sign-in once.
TestCase {
    name: "Onboarding"
    when: windowShown
    visible: true // a TestCase is invisible by default, and so would be what it holds
    width: 800
    height: 600

    Component {
        id: screen
        OnboardingView { anchors.fill: parent; onboardingWallpaperSubtitle: "Browse" }
    }

    function test_fadesInAndSignsIn() {
        const auth = AppEnvironment.auth
        const view = createTemporaryObject(screen, this)
        compare(view.contentOpacity, 0)
        tryCompare(view, "contentOpacity", 1.0, 2000)
        const button = findChild(view, "signInButton")
        verify(button.enabled)
        mouseClick(button)
        verify(auth.isLoading)
        verify(!button.enabled)
        auth.isLoading = false
    }
}
