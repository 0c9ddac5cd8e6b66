#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

// How long one exchange with the service may take.
struct TransferLimits
{
    std::chrono::milliseconds idleTimeout { 60'000 }; // without a byte moving
    qint64 maximumBodySize = 64 << 20; // bytes of a reply body held in memory
    std::optional<std::chrono::milliseconds> totalTimeout; // for the whole exchange
};

// Calls back once when a transfer has gone idle too long or run out of time.
// Progress only stamps the time; the idle timer, when it fires, waits out
// what is left since the last byte, so busy transfers cost no timer restarts.
class TransferWatch : public QObject
{
public:
    TransferWatch(const TransferLimits& limits, std::function<void()> onTimeout, QObject* parent);

    void stamp() { m_sinceActivity.start(); }
    void stop();

private:
    void checkIdle();

    std::chrono::milliseconds m_idleTimeout;
    std::function<void()> m_onTimeout;
    QTimer m_idle;
    QTimer m_deadline;
    QElapsedTimer m_sinceActivity;
};
