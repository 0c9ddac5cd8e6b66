#pragma once

#include <QString>

// The aerial manager's log lines, "Lanto AerialManager: " and the text,
// shared by the manager and the helpers it owns.
namespace AerialManagerLog {

void write(const QString& text);

} // namespace AerialManagerLog
