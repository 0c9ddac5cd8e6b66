#pragma once

#include <QString>

// The first character of a text as a reader sees it: a whole grapheme cluster
// (an emoji with its modifiers, a letter with its accents), never half of a
// surrogate pair. Empty for an empty text.
QString firstGrapheme(const QString& text);
