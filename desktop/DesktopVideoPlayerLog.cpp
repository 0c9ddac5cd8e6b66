#include "DesktopVideoPlayerLog.h"

#include "Log.h"

#include <chrono>

void DesktopVideoPlayerLog::write(const QString& message)
{
    using Clock = std::chrono::steady_clock;
    static const Clock::time_point start = Clock::now(); // fixed once, thread-safely
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Log::write(QStringLiteral("Lanto: [DVP %1] %2").arg(QString::number(seconds, 'f', 3), message));
}
