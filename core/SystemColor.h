#pragma once

#include <QColor>

// The named colours of the interface palette. Categories and avatars refer to
// them by name, so the palette can be tuned in one place.
enum class SystemColor { red, orange, yellow, green, mint, teal, cyan, blue, indigo, purple, pink, brown };

// The colour of that name as it shows on the dark window.
QColor systemColor(SystemColor name);
