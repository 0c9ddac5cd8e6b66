#pragma once

#include "EmbeddedMetadata.h"

#include <QString>

#include <optional>

// What a video file's header tells before any frame is decoded. Each call
// opens the file and reads as far as its metadata; an unreadable file tells nothing.
namespace MovieHeader {

// The first user comment, of the file and then of its streams, that is a
// metadata record; absent when none is.
std::optional<EmbeddedMetadata> metadata(const QString& path);

// The file's own title; absent when it has none or an empty one.
std::optional<QString> title(const QString& path);

} // namespace MovieHeader
