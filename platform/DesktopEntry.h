#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Desktop entry files (the freedesktop.org format that autostart and URL
// scheme handlers are registered with).
namespace DesktopEntry {

// The Exec value that starts the program with the arguments, quoted and
// escaped so that any path reads back as one argument. Field codes such as
// "%u" are passed through unquoted. None for a path or argument that holds a
// control character, which the format cannot carry.
std::optional<QString> execValue(
    const QString& program, const QStringList& arguments = {}, const QStringList& fieldCodes = {});

// Writes the file whole and atomically, making its folder first. The failure's description, or none.
std::optional<QString> write(const QString& path, const QByteArray& contents);

// Whether the file holds exactly these bytes.
bool holds(const QString& path, const QByteArray& contents);

// The application that a mimeapps.list file names first as the default for a
// MIME type (or URL scheme type), by its desktop file name; none when it names
// none or cannot be read.
std::optional<QString> defaultApplication(const QString& mimeAppsPath, const QString& mimeType);

} // namespace DesktopEntry
