#pragma once

#include "APIModels.h"
#include "SubmissionError.h"
#include "Wallpaper.h"

#include <QByteArray>
#include <QString>

#include <variant>

// The files a submission sends from a wallpaper's folder, and the records
// made from them.
namespace SubmissionFiles {

struct Found
{
    QString posterPath;
    QString contentPath;
    std::optional<QString> previewPath; // when "preview.mov" is there
};

// "Poster.png", the content file (the first by name with a video or picture
// extension that is no companion) and "preview.mov" of the folder named by
// the key; the missing file's error otherwise.
std::variant<Found, SubmissionError> find(const QString& downloadsDirectory, const QString& key);

// The poster as a JPEG at most 640 pixels wide (never enlarged), quality 85.
std::variant<QByteArray, SubmissionError> makeSubmissionThumbnail(const QString& posterPath);

// The body that creates the submission on the service.
SubmissionCreate createBody(const Wallpaper& wallpaper);

// What the content slot declares: a video is QuickTime, anything else PNG,
// whatever the file's own format.
QString contentType(const Wallpaper& wallpaper);

} // namespace SubmissionFiles
