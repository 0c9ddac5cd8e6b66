#include "TransferWatch.h"

TransferWatch::TransferWatch(const TransferLimits& limits, std::function<void()> onTimeout, QObject* parent)
    : QObject(parent), m_idleTimeout(limits.idleTimeout), m_onTimeout(std::move(onTimeout))
{
    m_idle.setSingleShot(true);
    m_idle.setTimerType(Qt::PreciseTimer);
    connect(&m_idle, &QTimer::timeout, this, &TransferWatch::checkIdle);
    if (limits.totalTimeout) {
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] {
            stop();
            m_onTimeout();
        });
        m_deadline.start(*limits.totalTimeout);
    }
    m_sinceActivity.start();
    m_idle.start(m_idleTimeout);
}

void TransferWatch::stop()
{
    m_idle.stop();
    m_deadline.stop();
}

void TransferWatch::checkIdle()
{
    const auto quiet = std::chrono::milliseconds(m_sinceActivity.elapsed());
    if (quiet < m_idleTimeout) {
        m_idle.start(m_idleTimeout - quiet);
        return;
    }
    stop();
    m_onTimeout();
}
