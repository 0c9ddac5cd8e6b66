#include "EnvironmentServices.h"

#include "AppEnvironment.h"
#include "AuthService.h"
#include "LantoAPIClient.h"
#include "LantoSettings.h"

namespace EnvironmentServices {

AuthService& auth()
{
    AuthService* installed = AppEnvironment::installedObjects().auth;
    return installed ? *installed : AuthService::shared();
}

LantoAPIClient& apiClient()
{
    LantoAPIClient* installed = AppEnvironment::installedObjects().apiClient;
    return installed ? *installed : LantoAPIClient::shared();
}

LantoSettings& settings()
{
    LantoSettings* installed = AppEnvironment::installedObjects().settings;
    return installed ? *installed : LantoSettings::shared();
}

} // namespace EnvironmentServices
