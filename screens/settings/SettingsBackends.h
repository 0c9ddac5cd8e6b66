#pragma once

class LoginItem;
class SparkleUpdateManager;
class UserDefaults;

// What the settings screen changes outside the settings store: the agent's
// login item, the user defaults that hold "appLanguage", and the update
// manager's automatic checks and downloads. The program installs its own at
// start; a part that is not installed keeps its value in memory only.
struct SettingsBackends
{
    LoginItem* loginItem = nullptr;
    UserDefaults* defaults = nullptr;
    SparkleUpdateManager* updates = nullptr;

    static void install(const SettingsBackends& backends);
    static const SettingsBackends& installed();
};
