#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file with the bytes in one step, creating its folder. Writes go
// to the disk unbuffered, so a short write (a full disk) is an error rather than
// a truncated file. On failure answers false and the reason in error.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error);
