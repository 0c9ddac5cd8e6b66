#pragma once

#include <QString>

// The current user's real home folder, from the user database: never the
// HOME environment variable, so a confined or altered environment cannot
// move the files both programs share.
namespace UserHome {

QString path();

// The desktop's own per-user folders, where other programs (xdg-mime,
// xdg-open, the session's autostart) look for what Lanto registers with them:
// $XDG_DATA_HOME and $XDG_CONFIG_HOME when they name an absolute folder, else
// ".local/share" and ".config" in the home folder.
QString dataHome();
QString configHome();

// Points every later call of path() at another folder, in this process only.
// Tests use it to run against a temporary home; an empty path restores the real one.
void setPathForProcess(const QString& path);

} // namespace UserHome
