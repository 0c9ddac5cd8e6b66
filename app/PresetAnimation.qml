import QtQuick
import Lanto.App
import Lanto.Core

// One of the shared springs as a number animation: it settles in the spring's
// response time and overshoots only as far as the spring's damping lets it.
NumberAnimation {
    property spring preset: AppAnimation.smooth

    duration: preset.response * 1000
    easing.type: Easing.OutBack
    easing.overshoot: Math.max(0, 0.9 - preset.dampingFraction) * 6
}
