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
