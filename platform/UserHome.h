#pragma once

#include <QString>

// The current user's real home folder, from the user database: never the
// HOME environment variable, so a confined or altered environment cannot
// move the files both programs share.
namespace UserHome {

QString path();

// Points every later call of path() at another folder, in this process only.
// Tests use it to run against a temporary home; an empty path restores the real one.
void setPathForProcess(const QString& path);

} // namespace UserHome
