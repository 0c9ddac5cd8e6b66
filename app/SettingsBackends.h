#pragma once

#include <QString>

// The agent's login item, as the "Launch at Login" switch changes it.
class LoginItemSwitch
{
public:
    virtual ~LoginItemSwitch() = default;
    // Registers or removes the login item; a failure leaves no trace.
    virtual void setRegistered(bool registered) = 0;
};

// The interface language kept in the user defaults under "appLanguage".
class LanguagePreference
{
public:
    virtual ~LanguagePreference() = default;
    // A locale identifier, or the empty text for the system's language.
    virtual QString language() const = 0;
    virtual void setLanguage(const QString& code) = 0;
};

// The update framework's automatic checks and downloads, switched together.
class AutomaticUpdates
{
public:
    virtual ~AutomaticUpdates() = default;
    // Whether automatic checks are on.
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

// Where the settings screen reaches them. The program installs its own at
// start; a part that is not installed keeps its value in memory only.
struct SettingsBackends
{
    LoginItemSwitch* loginItem = nullptr;
    LanguagePreference* language = nullptr;
    AutomaticUpdates* updates = nullptr;

    static void install(const SettingsBackends& backends);
    static const SettingsBackends& installed();
};
