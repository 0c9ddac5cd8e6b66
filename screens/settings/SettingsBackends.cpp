#include "SettingsBackends.h"

namespace {

SettingsBackends& current()
{
    static SettingsBackends backends;
    return backends;
}

} // namespace

void SettingsBackends::install(const SettingsBackends& backends)
{
    current() = backends;
}

const SettingsBackends& SettingsBackends::installed()
{
    return current();
}
