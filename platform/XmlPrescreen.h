#pragma once

#include <QByteArray>
#include <QString>

// A cheap pass over untrusted XML before QXmlStreamReader sees it. Qt 6.4's
// reader expands internal entities without a total bound and is quadratic in
// the attributes of one element and in the declarations of an internal DTD
// subset, so a small file could cost gigabytes or minutes. Neither a property
// list nor an update feed needs any of those.
namespace XmlPrescreen {

// More attributes on one tag than any file we read carries.
inline constexpr int maxAttributesPerTag = 64;

// Empty when the bytes may be parsed; otherwise why not: a DOCTYPE with an
// internal subset, or a tag with more than maxAttributesPerTag attributes.
// Runs in one linear pass and allocates nothing.
QString refusal(const QByteArray& xml);

} // namespace XmlPrescreen
