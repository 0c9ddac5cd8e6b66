#pragma once

#include <QVersionNumber>

// The operating-system version that behaviour depends on. Linux has no such
// boundary, so the reported version is a fixed value; tests set it to reach
// both sides of every version check.
namespace SystemVersion {

QVersionNumber current();
void setCurrent(const QVersionNumber& version);

// Whether the reported version is at least major.minor.patch.
bool isAtLeast(int major, int minor = 0, int patch = 0);

} // namespace SystemVersion
