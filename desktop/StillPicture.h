#pragma once

#include <QImage>
#include <QString>

// Decodes a still picture (a poster, a recorded wallpaper picture) from a file
// in a folder someone else may change: only a regular file is read, without
// ever waiting on the open, up to maximumBytes, and decoded from the bytes read.
namespace StillPicture {

inline constexpr qint64 maximumBytes = 256LL * 1024 * 1024;

// Null when the file is missing, not a regular file, too large or not a picture.
QImage load(const QString& path);

} // namespace StillPicture
