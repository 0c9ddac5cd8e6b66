#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The files of one wallpaper's folder below the downloads folder, named by the
// wallpaper's id: its content file (the picture or video), "Poster.png", and
// the companions that are never content. Both the desktop display and the
// download service find a wallpaper's files by these rules.
namespace WallpaperFolder {

inline const QString posterFileName = QStringLiteral("Poster.png");
inline const QString previewFileName = QStringLiteral("preview.mov");
inline const QString metadataFileName = QStringLiteral("metadata.json");
// The menu-bar tint's copy of the poster, written beside a video.
inline const QString desktopImageFileName = QStringLiteral("DesktopImage.png");

// The folder of the wallpaper with that id below parentFolder; nothing when
// the id is not a single plain folder name, so no id can reach outside it.
std::optional<QString> folderPath(const QString& parentFolder, const QString& id);

// Whether a file of that name can be a wallpaper's content: not a companion
// file, not hidden, and not a temporary file of a write or a download.
bool isContentFileName(const QString& name);

// The content file among a folder's file names: a "content.*" name first,
// then the first by name, whatever order the names come in. Nothing when
// only companions and temporary files are there.
std::optional<QString> pickContentFileName(QStringList names);

// The names of the files (not folders) in a folder, hidden ones included;
// nothing when the folder cannot be listed.
std::optional<QStringList> fileNames(const QString& folder);

// The content file of the folder; nothing when there is none or the folder cannot be listed.
std::optional<QUrl> contentFileURL(const QString& folder);

// The folder's "Poster.png" when that file exists.
std::optional<QUrl> posterURL(const QString& folder);

} // namespace WallpaperFolder
