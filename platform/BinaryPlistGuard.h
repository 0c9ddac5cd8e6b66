#pragma once

#include <QByteArray>

// A binary property list may reference one container from many places, and
// the parser copies every reference out into its own tree node: a file of a
// few hundred bytes can describe a tree of billions of nodes. This measures
// the tree a binary property list would expand to, without expanding it, so
// untrusted files can be refused before they are parsed.
namespace BinaryPlistGuard {

// Nesting deeper than this is refused outright.
constexpr int maximumDepth = 512;

// Each copy of a string or data object counts as one node more per this many bytes,
// so one large string referenced many times is measured by the memory it expands to.
constexpr qint64 bytesPerNode = 64;

// True when bytes are not a binary property list (nothing to guard), or when
// the tree they describe has at most maximumNodes nodes (dictionary keys
// count as nodes, large strings and data as several). False when it has more, or its structure is malformed.
bool withinNodeLimit(const QByteArray& bytes, qint64 maximumNodes);

} // namespace BinaryPlistGuard
