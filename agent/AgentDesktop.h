#pragma once

// What the delegate asks of the agent's desktop controller: to start, and to
// black out and restore the other displays at screen lock and unlock.
class AgentDesktop
{
public:
    virtual ~AgentDesktop() = default;

    virtual void start() = 0;
    virtual void blackOutOtherDisplays() = 0;
    virtual void restoreOtherDisplays() = 0;
};

// A desktop that shows nothing: the agent keeps the aerial only.
class NoAgentDesktop final : public AgentDesktop
{
public:
    void start() override { }
    void blackOutOtherDisplays() override { }
    void restoreOtherDisplays() override { }
};
