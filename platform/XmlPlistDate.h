#pragma once

#include <QString>

#include <optional>

// The text form of XML property-list dates, "YYYY-MM-DDTHH:MM:SSZ" in UTC, in
// whole seconds. Years before 1 and after 9999 take a sign or more digits
// (year 0 is 1 BC), so every date whose seconds fit the range reads back.
namespace XmlPlistDate {

// Seconds since 2001-01-01 00:00:00 UTC; nothing for malformed text.
std::optional<double> parse(QStringView text);
// Nothing for dates that are not finite or lie beyond maximumSeconds.
std::optional<QString> format(double secondsSinceReference);

// About 95 billion years either way.
constexpr double maximumSeconds = 3.0e18;

} // namespace XmlPlistDate
