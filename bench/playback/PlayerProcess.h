#pragma once

#include <QString>

// The measured side: our player looping a file in desktop windows side by
// side, one per 1920x1080 display, until told to stop. Reads "pause",
// "frames" and "quit" lines on stdin; writes "playing" once every player
// plays, "paused" once they are paused, and "frames N" with the number of
// new video frames the players' views have drawn so far, all views together.
int runPlayerProcess(const QString& file, int displays);
