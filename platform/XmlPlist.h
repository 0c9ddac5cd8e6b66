#pragma once

#include "PropertyList.h"

// The XML property-list format, through QXmlStreamReader and QXmlStreamWriter.
namespace XmlPlist {

// A document with a <plist> root holding one value. A dictionary holding only
// "CF$UID" with a non-negative integer reads as a UID, which is how UIDs are
// written. Entity declarations are refused.
PropertyList::ParseResult read(const QByteArray& bytes, const PropertyList::Limits& limits);

// Nothing when the value holds text or a date XML cannot carry, when the
// reader would refuse the document (more nodes or deeper nesting than its
// limits: a UID is written as three elements one level down), or when the
// document would be larger than maxBytes.
std::optional<QByteArray> write(const PlistValue& value, qint64 maxBytes);

} // namespace XmlPlist
