#pragma once

#include <QFlags>
#include <QString>

// Why a display's video is paused. It plays only while none holds; each one
// comes and goes on its own.
enum class PauseReason : quint8 {
    // The displays sleep.
    sleep = 1 << 0,
    // The session is locked or switched away.
    lock = 1 << 1,
    // A full-screen window covers the display ("pauseOnFullscreen").
    cover = 1 << 2,
    // On battery or in low power mode ("pauseOnBattery").
    battery = 1 << 3,
    // The system asks for less motion ("respectReduceMotion").
    reduceMotion = 1 << 4,
    // The player's own pause(), until its resume().
    user = 1 << 5,
};
Q_DECLARE_FLAGS(PauseReasons, PauseReason)
Q_DECLARE_OPERATORS_FOR_FLAGS(PauseReasons)

// "sleep, cover" and so on, for the log.
QString describePauseReasons(PauseReasons reasons);
