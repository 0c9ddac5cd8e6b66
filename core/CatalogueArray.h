#pragma once

#include "APIWallpaper.h"

#include <QByteArray>
#include <QList>

#include <optional>

// A JSON document that is an array of catalogue records (the cache file),
// read with simdjson: nothing when the JSON is bad or any element is not a record.
namespace CatalogueArray {
// Spare capacity behind the bytes that spares the decoder a copy of them.
inline constexpr qsizetype paddingBytes = 64;

std::optional<QList<APIWallpaper>> decode(QByteArray json);
} // namespace CatalogueArray
