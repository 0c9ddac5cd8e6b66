#include "AgentLog.h"

#include "Log.h"

void AgentLog::info(const QString& message) { Log::write(message); }

void AgentLog::error(const QString& message) { Log::write(message); }
