#pragma once

#include <QString>

#include <functional>

// The system log. Every line is written exactly as given: callers own the
// "Lanto: " prefixes, so that the lines can be searched for verbatim.
namespace Log {

// Where lines go besides stderr. Tests install one to capture lines.
using Sink = std::function<void(const QString& line)>;

void write(const QString& line);

// Installs a sink and returns the previous one; an empty sink restores stderr only.
Sink setSink(Sink sink);

} // namespace Log
