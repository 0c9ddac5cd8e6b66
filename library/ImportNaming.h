#pragma once

#include "EmbeddedMetadata.h"
#include "WallpaperCategory.h"

#include <QString>

#include <optional>

// The names an import gives: the title, the content file's name, the folder's hex id, the category.
namespace ImportNaming {

// The file name without its extension, less a leading UUID and dash that other
// programs put before the names they export: "3F2504E0-…-0305E82C3301-Sunset.mov" is "Sunset".
QString titleFromFileName(const QString& path);

// By extension, in any case: mp4, mov, m4v, avi, mkv.
bool isVideoFile(const QString& path);

// The content file's name for a title: the title with folder separators and
// control characters replaced, without leading dots or surrounding spaces, at
// most 200 bytes, and "Wallpaper" when nothing is left; "content.<extension>"
// when that name would be taken for a companion or a temporary file.
QString contentFileName(const QString& title, const QString& extension);

// 7 random lower-case hexadecimal digits.
QString makeHexID();

// The category whose name equals the metadata's category ignoring case; Digital Art otherwise.
WallpaperCategory categoryFromMetadata(const std::optional<EmbeddedMetadata>& metadata);

} // namespace ImportNaming
