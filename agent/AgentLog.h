#pragma once

#include <QString>

// The agent's log lines, written exactly as given. The agent logs at two
// levels, info and error, under the subsystem "com.lanto.mac.agent"; Linux's
// log keeps the line only, so both levels write the same way.
namespace AgentLog {

void info(const QString& message);
void error(const QString& message);

} // namespace AgentLog
