#include "AgentLog.h"

#include "Log.h"

const AgentLog AgentLog::agent("agent");
const AgentLog AgentLog::desktop("desktop");

namespace {

Log::Origin origin(const char* category)
{
    return { QStringLiteral("com.lanto.mac.agent"), QString::fromLatin1(category) };
}

} // namespace

void AgentLog::info(const QString& message) const { Log::write(Log::Level::info, message, origin(m_category)); }

void AgentLog::error(const QString& message) const { Log::write(Log::Level::error, message, origin(m_category)); }
