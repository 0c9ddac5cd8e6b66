#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFuture>

#include <chrono>
#include <optional>

// Runs the event loop until the future finishes or the deadline passes; the
// result, or nothing when it did not finish in time or was cancelled.
template <typename T>
std::optional<T> awaitFuture(QFuture<T> future, std::chrono::milliseconds deadline = std::chrono::seconds(20))
{
    QDeadlineTimer timer(deadline);
    while (!future.isFinished() && !timer.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    if (!future.isFinished() || future.isCanceled() || future.resultCount() == 0)
        return std::nullopt;
    return future.result();
}
