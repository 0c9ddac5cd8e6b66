#pragma once

#include <QColor>
#include <QString>
#include <QUuid>

// The UUID of an item named by a hex id: the text repeated five times, its first
// 32 characters cut 8-4-4-4-12 and read as a UUID. A 32-digit id gives itself in
// UUID form; a 24-digit id gives its digits followed by its own first eight.
// Text that does not read as a UUID that way (too short, not hex, already dashed)
// gives a name-based UUID of the text. Either way the same text gives the same
// UUID in both programs and across launches, so records built from it match.
QUuid uuidFromHexID(const QString& hexID);

// The colour of a hex text such as "#FF8800": every '#' at either end is dropped,
// the leading hex digits are read, and the low 24 bits give red, green and blue.
// Digits beyond the sixth keep shifting older ones out; no digits give black.
QColor colorFromHex(const QString& hex);
