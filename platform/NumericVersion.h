#pragma once

#include <QStringView>

// Version texts compared the way update feeds expect: from the left, runs of
// decimal digits by their value, every other character by its code; when all
// compared so far is equal, the text with characters left is the greater. So
// 1.10 > 1.9, 2.0 > 1.99 and 1.0.0 > 1.0. Digit runs of any length are
// compared exactly.
namespace NumericVersion {

// Negative, zero or positive as a is smaller than, equal to or greater than b.
int compare(QStringView a, QStringView b);

inline bool isGreater(QStringView a, QStringView b) { return compare(a, b) > 0; }

} // namespace NumericVersion
