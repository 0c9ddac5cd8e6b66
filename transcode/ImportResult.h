#pragma once

#include <QSizeF>
#include <QString>

#include <optional>

// What an import hands to the library: the new wallpaper's files and facts.
struct ImportResult
{
    QString hexID; // also the folder's name
    QString title;
    QString filePath; // the content file in the wallpaper's folder
    QString posterPath; // the folder's "Poster.png", set even when no poster could be written
    QSizeF resolution; // pixels, as displayed
    qint64 fileSize = 0; // bytes of the content file, 0 when unreadable
    bool isVideo = false;
    std::optional<QString> previewClipPath; // "preview.mov" when it was written
};
