#pragma once

class AuthService;
class LantoAPIClient;
class LantoSettings;

// The process-wide services a view-model made in QML works with: those the
// environment was given, else the program's shared ones.
namespace EnvironmentServices {

AuthService& auth();
LantoAPIClient& apiClient();
LantoSettings& settings();

} // namespace EnvironmentServices
