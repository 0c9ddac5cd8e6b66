#pragma once

#include <QString>

// The video player's log lines: "Lanto: [DVP <stamp>] " and the message, the
// stamp being the seconds since the first such line of the process ("%.3f").
// Thread-safe.
namespace DesktopVideoPlayerLog {

void write(const QString& message);

} // namespace DesktopVideoPlayerLog
