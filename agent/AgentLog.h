#pragma once

#include <QString>

// The agent's log lines, written exactly as given, under the subsystem
// "com.lanto.mac.agent" and a category: "agent" for the delegate and its
// aerial keeping, "desktop" for the desktop controller. Two levels, info and error.
class AgentLog
{
public:
    static const AgentLog agent;
    static const AgentLog desktop;

    void info(const QString& message) const;
    void error(const QString& message) const;

private:
    explicit AgentLog(const char* category) : m_category(category) { }

    const char* m_category;
};
