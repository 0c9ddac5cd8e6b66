#pragma once

#include <QString>

// The advisory lock that both programs hold while they write Settings.plist:
// an exclusive flock on "<file>.lock" beside it, released with the object or
// when the process ends. Waits a bounded time; a lock that cannot be had
// within it is not held, and the write goes ahead without it.
class SettingsFileLock
{
public:
    explicit SettingsFileLock(const QString& settingsPath);
    ~SettingsFileLock();

    SettingsFileLock(const SettingsFileLock&) = delete;
    SettingsFileLock& operator=(const SettingsFileLock&) = delete;

    bool isHeld() const { return m_descriptor >= 0; }

private:
    int m_descriptor = -1;
};
