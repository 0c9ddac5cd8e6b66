#pragma once

#include "CancelToken.h"
#include "Result.h"
#include "Scheduler.h"

#include <QFuture>
#include <QPointer>
#include <QPromise>

#include <chrono>
#include <functional>
#include <memory>

namespace TransientRetry {

constexpr int maximumAttempts = 8;

// The wait after failed attempt n: min(0.3 n, 1.0) s.
std::chrono::milliseconds delayAfter(int attempt);
// "Lanto API: Transient error (…), retrying in 0.3s (attempt 1/8)".
void logRetry(const ServiceError& error, int attempt, std::chrono::milliseconds delay);

template <typename T>
struct Attempts
{
    std::function<QFuture<Result<T>>()> operation;
    Scheduler& scheduler;
    QPointer<CancelToken> cancel; // null: never cancelled
    QPromise<Result<T>> promise;
    int attempt = 0;

    bool cancelled() const { return cancel && cancel->isCancelled(); }

    void finish(Result<T> result)
    {
        promise.addResult(std::move(result));
        promise.finish();
    }
};

template <typename T>
void runAttempt(std::shared_ptr<Attempts<T>> state)
{
    if (state->cancelled())
        return state->finish(NetworkError::cancelled());
    ++state->attempt;
    state->operation().then([state](Result<T> result) {
        if (result || !result.error().isTransient() || state->attempt >= maximumAttempts || state->cancelled())
            return state->finish(std::move(result));
        const std::chrono::milliseconds delay = delayAfter(state->attempt);
        logRetry(result.error(), state->attempt, delay);
        state->scheduler.after(delay, [state] { runAttempt(state); });
    });
}

} // namespace TransientRetry

// Runs the operation again while it fails with a transient network error
// (see NetworkError::isTransient), at most eight times in all; any other
// failure, an APIError above all, ends it at once. The waits run on the
// scheduler; a cancelled token ends it before the next attempt.
template <typename T>
QFuture<Result<T>> withTransientRetry(Scheduler& scheduler, std::function<QFuture<Result<T>>()> operation,
                                      CancelToken* cancel = nullptr)
{
    auto state = std::make_shared<TransientRetry::Attempts<T>>(
        TransientRetry::Attempts<T>{std::move(operation), scheduler, cancel, QPromise<Result<T>>()});
    QFuture<Result<T>> future = state->promise.future();
    state->promise.start();
    TransientRetry::runAttempt(state);
    return future;
}
