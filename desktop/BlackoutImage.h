#pragma once

#include <QString>

// The black picture that stands in for a display's desktop picture while the
// screen is locked: "Blackout.png" in the application-support folder.
namespace BlackoutImage {

inline const QString fileName = QStringLiteral("Blackout.png");

// Writes a 2x2 opaque black RGBA PNG to path, atomically. False when it could
// not be drawn or written; no file is left behind then.
bool write(const QString& path);

// Writes the picture unless a file, whatever it holds, is at path already.
void ensure(const QString& path);

} // namespace BlackoutImage
