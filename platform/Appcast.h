#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The update feed: an RSS document whose items name a release by their
// "sparkle:shortVersionString" (the version users see) and "sparkle:version"
// (the build) elements. Nothing else of the feed is read.
namespace Appcast {

struct Item
{
    QString shortVersion;
    QString version; // empty when the item names no build
    bool operator==(const Item&) const = default;
};

// Longer feeds are not read; so many items are more than any real feed holds.
inline constexpr qsizetype maxFeedBytes = 1024 * 1024;
inline constexpr qsizetype maxItems = 4096;
// A version text longer than this makes its item unusable.
inline constexpr qsizetype maxVersionLength = 64;

// The items with a short version, in document order. None when the text is not
// well-formed XML, is longer than maxFeedBytes, holds more than maxItems items,
// declares an internal document type subset or crowds a tag with attributes.
std::optional<QList<Item>> read(const QByteArray& feed);

// The newest item by the numeric rule: the greatest short version, and among
// equal ones the greatest build; ties keep the earlier item.
std::optional<Item> newest(const QList<Item>& items);

// Whether the item is newer than the running version and build.
bool isNewer(const Item& item, const QString& runningShortVersion, const QString& runningVersion);

} // namespace Appcast
