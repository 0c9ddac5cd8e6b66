#pragma once

#include <QString>

#include <optional>

// What a public handle may look like. Lengths count user-perceived characters.
namespace HandleRules {

inline constexpr int minimumLength = 3;
inline constexpr int maximumLength = 20;

// The input as the field keeps it: lower case, only ASCII letters, numbers
// (of any script) and underscores, at most maximumLength characters.
QString sanitized(const QString& input);

// Why a sanitised handle cannot be used without asking the service: it must
// start with a letter and be long enough. None for an empty handle, which
// gets no verdict at all, and for one the service may be asked about.
std::optional<QString> localViolation(const QString& handle);

int characterCount(const QString& text);
bool startsWithLetter(const QString& handle);

} // namespace HandleRules
