#pragma once

#include "RunningApplications.h"

#include <QObject>
#include <QRect>

// The system's notices about sleep, the session, Spaces, other applications,
// displays, full-screen windows, power and accessibility, all delivered on the
// main thread.
//
// Anything may raise a notice or report a state: the Linux sources do
// (SystemWorkspace), and tests do the same to drive the code that listens.
class Workspace : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isOnBattery READ isOnBattery NOTIFY powerStateChanged)
    Q_PROPERTY(bool isLowPowerMode READ isLowPowerMode NOTIFY powerStateChanged)
    Q_PROPERTY(bool reduceMotion READ reduceMotion NOTIFY reduceMotionChanged)

public:
    using QObject::QObject;

    bool isOnBattery() const { return m_onBattery; }
    bool isLowPowerMode() const { return m_lowPowerMode; }
    bool reduceMotion() const { return m_reduceMotion; }
    // Where the active window is full screen, in the window system's device
    // pixels; null when the active window is not full screen.
    QRect fullScreenWindowFrame() const { return m_fullScreenWindowFrame; }
    // Whether the full-screen window covers at least half of the display whose
    // frame in device pixels is given (ConnectedDisplay::devicePixelFrame()).
    bool isCoveredByFullScreenWindow(const QRect& displayPixelFrame) const;

    // Each emits its change signal only when the value changes.
    void setOnBattery(bool onBattery);
    void setLowPowerMode(bool lowPowerMode);
    void setReduceMotion(bool reduceMotion);
    void setFullScreenWindowFrame(const QRect& frame);

public slots:
    void raiseWillSleep() { emit willSleep(); }
    void raiseDidWake() { emit didWake(); }
    void raiseScreensDidSleep() { emit screensDidSleep(); }
    void raiseScreensDidWake() { emit screensDidWake(); }
    void raiseSessionDidResignActive() { emit sessionDidResignActive(); }
    void raiseSessionDidBecomeActive() { emit sessionDidBecomeActive(); }
    void raiseActiveSpaceDidChange() { emit activeSpaceDidChange(); }
    void raiseApplicationDidTerminate(const RunningApplication& application)
    {
        emit applicationDidTerminate(application);
    }
    void raiseWindowOcclusionChanged(QObject* window) { emit windowOcclusionChanged(window); }
    void raiseScreenParametersChanged() { emit screenParametersChanged(); }

signals:
    void willSleep();
    void didWake();
    void screensDidSleep();
    void screensDidWake();
    void sessionDidResignActive();
    void sessionDidBecomeActive();
    void activeSpaceDidChange();
    void applicationDidTerminate(const RunningApplication& application);
    // The window whose occlusion changed.
    void windowOcclusionChanged(QObject* window);
    void screenParametersChanged();
    // isOnBattery or isLowPowerMode changed.
    void powerStateChanged();
    void reduceMotionChanged();
    void fullScreenWindowChanged();

private:
    bool m_onBattery = false;
    bool m_lowPowerMode = false;
    bool m_reduceMotion = false;
    QRect m_fullScreenWindowFrame;
};
