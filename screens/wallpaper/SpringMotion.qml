import QtQuick
import Lanto.Core

// A spring as a number animation: it settles within the response, overshooting
// a little when the spring is bouncy. Give it a shared preset, or a response
// and damping fraction of its own.
NumberAnimation {
    property spring preset
    property real response: preset.response
    property real dampingFraction: preset.dampingFraction

    duration: response * 1000
    easing.type: dampingFraction < 0.8 ? Easing.OutBack : Easing.OutCubic
    easing.overshoot: Math.max(0, (0.8 - dampingFraction) * 6)
}
