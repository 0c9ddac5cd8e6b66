#include "AmbientTurn.h"

#include "WindowRenderPath.h"

#include <algorithm>

AmbientTurn::AmbientTurn(QObject* parent)
    : QObject(parent), m_framesPerSecond(WindowRenderPath::current().ambientFramesPerSecond)
{
    m_timer.setTimerType(Qt::CoarseTimer);
    m_timer.setInterval(1000 / m_framesPerSecond);
    connect(&m_timer, &QTimer::timeout, this, &AmbientTurn::step);
}

qint64 AmbientTurn::elapsed() const { return m_turnedBefore + (m_timer.isActive() ? m_sinceStart.elapsed() : 0); }

void AmbientTurn::setRunning(bool running)
{
    if (running == isRunning())
        return;
    if (running) {
        m_sinceStart.start();
        m_timer.start();
    } else {
        m_turnedBefore = elapsed();
        m_timer.stop();
    }
    emit runningChanged();
}

void AmbientTurn::setPeriod(int milliseconds)
{
    milliseconds = std::max(1, milliseconds);
    if (m_period == milliseconds)
        return;
    m_period = milliseconds;
    emit periodChanged();
}

void AmbientTurn::setFramesPerSecond(int frames)
{
    frames = std::clamp(frames, 1, 60);
    if (m_framesPerSecond == frames)
        return;
    m_framesPerSecond = frames;
    m_timer.setInterval(1000 / frames);
    emit framesPerSecondChanged();
}

void AmbientTurn::step()
{
    const qreal angle = qreal(elapsed() % m_period) * 360.0 / m_period;
    if (angle == m_angle)
        return;
    m_angle = angle;
    emit angleChanged();
}
