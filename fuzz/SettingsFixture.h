#pragma once

#include "FuzzSupport.h"
#include "LantoSettings.h"

#include <QTemporaryDir>

// A settings store over a folder of its own, whose delayed writes never run;
// one per fuzz target, for the life of the process.
struct SettingsFixture
{
    QTemporaryDir directory;
    FuzzSupport::DroppingScheduler scheduler;
    LantoSettings settings { directory.path(), scheduler };
};
