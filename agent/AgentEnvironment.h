#pragma once

#include <QString>

#include <chrono>
#include <functional>

class AerialAssetServer;
class AgentDesktop;
class DistributedNotifications;
class RunningApplications;
class Scheduler;
class SystemCommands;
class Workspace;

// What the agent works with. The program passes the real services; tests pass fakes.
struct AgentEnvironment
{
    DistributedNotifications& notifications;
    Workspace& workspace;
    const RunningApplications& applications;
    SystemCommands& commands;
    AerialAssetServer& server;
    AgentDesktop& desktop;
    // Delayed work on the main thread.
    Scheduler& scheduler;
    // Blocks the main thread: the start-up waits for the wallpaper store and for each stamp to settle.
    std::function<void(std::chrono::milliseconds)> sleep;
    // The real user's home.
    QString home;
};
