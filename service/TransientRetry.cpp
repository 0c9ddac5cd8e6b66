#include "TransientRetry.h"

#include "Log.h"

#include <algorithm>

std::chrono::milliseconds TransientRetry::delayAfter(int attempt)
{
    return std::min(std::chrono::milliseconds(300 * attempt), std::chrono::milliseconds(1000));
}

void TransientRetry::logRetry(const ServiceError& error, int attempt, std::chrono::milliseconds delay)
{
    Log::write(QStringLiteral("Lanto API: Transient error (%1), retrying in %2s (attempt %3/%4)")
                   .arg(error.description(), QString::asprintf("%.1f", double(delay.count()) / 1000.0))
                   .arg(attempt)
                   .arg(maximumAttempts));
}
