#pragma once

#include <QString>

// The measured side: our player looping a file in desktop windows side by
// side, one per 1920x1080 display, until told to stop. Reads "pause",
// "frames" and "quit" lines on stdin; writes "playing" once every player
// plays, "paused" once they are paused, and "frames N" with the number of
// frames the windows have put on screen so far.
int runPlayerProcess(const QString& file, int displays);
