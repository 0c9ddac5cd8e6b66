#include "Workspace.h"

void Workspace::setOnBattery(bool onBattery)
{
    if (std::exchange(m_onBattery, onBattery) != onBattery)
        emit powerStateChanged();
}

void Workspace::setLowPowerMode(bool lowPowerMode)
{
    if (std::exchange(m_lowPowerMode, lowPowerMode) != lowPowerMode)
        emit powerStateChanged();
}

void Workspace::setReduceMotion(bool reduceMotion)
{
    if (std::exchange(m_reduceMotion, reduceMotion) != reduceMotion)
        emit reduceMotionChanged();
}

void Workspace::setFullScreenWindowFrame(const QRect& frame)
{
    const QRect normalized = frame.isValid() ? frame : QRect();
    if (std::exchange(m_fullScreenWindowFrame, normalized) != normalized)
        emit fullScreenWindowChanged();
}

bool Workspace::isCoveredByFullScreenWindow(const QRect& displayPixelFrame) const
{
    if (m_fullScreenWindowFrame.isNull() || !displayPixelFrame.isValid())
        return false;
    // Half, not all: a full-screen window may leave a strip to a panel, or span displays.
    const QRect overlap = m_fullScreenWindowFrame.intersected(displayPixelFrame);
    return qint64(overlap.width()) * overlap.height() * 2 >= qint64(displayPixelFrame.width()) * displayPixelFrame.height();
}
