#pragma once

#include <QString>
#include <QUuid>

#include <optional>

// Parses canonical UUID text (8-4-4-4-12 hex digits in either case, no braces).
std::optional<QUuid> uuidFromText(QStringView text);

// Canonical upper-case UUID text without braces.
QString uuidText(const QUuid& uuid);
