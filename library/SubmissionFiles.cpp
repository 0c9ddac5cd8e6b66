#include "SubmissionFiles.h"

#include "WallpaperFolder.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSet>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int thumbnailWidth = 640;
constexpr int thumbnailQuality = 85;

bool isContentCandidate(const QString& name)
{
    static const QSet<QString> extensions{u"mov"_s, u"mp4"_s, u"m4v"_s, u"png"_s, u"jpg"_s, u"jpeg"_s, u"heic"_s, u"tiff"_s};
    static const QSet<QString> companions{
        WallpaperFolder::posterFileName, WallpaperFolder::previewFileName, WallpaperFolder::metadataFileName};
    return extensions.contains(QFileInfo(name).suffix().toLower()) && !companions.contains(name);
}

} // namespace

std::variant<SubmissionFiles::Found, SubmissionError> SubmissionFiles::find(
    const QString& downloadsDirectory, const QString& key)
{
    const std::optional<QString> folder = WallpaperFolder::folderPath(downloadsDirectory, key);
    const QDir dir(folder.value_or(QString()));
    if (!folder || !QFileInfo(dir.filePath(WallpaperFolder::posterFileName)).isFile())
        return SubmissionError::missingFiles(u"Poster.png not found"_s);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    const auto content = std::find_if(names.cbegin(), names.cend(), isContentCandidate);
    if (content == names.cend())
        return SubmissionError::missingFiles(u"Content file not found"_s);
    Found found{dir.filePath(WallpaperFolder::posterFileName), dir.filePath(*content), std::nullopt};
    if (const QString preview = dir.filePath(WallpaperFolder::previewFileName); QFileInfo(preview).isFile())
        found.previewPath = preview;
    return found;
}

std::variant<QByteArray, SubmissionError> SubmissionFiles::makeSubmissionThumbnail(const QString& posterPath)
{
    const QImage poster = QImageReader(posterPath).read();
    if (poster.isNull())
        return SubmissionError::missingFiles(u"Cannot read poster for thumbnail"_s);
    const double scale = std::min(double(thumbnailWidth) / poster.width(), 1.0);
    const QSize size(int(poster.width() * scale), int(poster.height() * scale));
    const QImage thumbnail = size.isEmpty()
        ? QImage()
        : poster.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB888);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(thumbnailQuality);
    if (thumbnail.isNull() || !buffer.open(QIODevice::WriteOnly) || !writer.write(thumbnail))
        return SubmissionError::missingFiles(u"Failed to encode thumbnail"_s);
    return jpeg;
}

SubmissionCreate SubmissionFiles::createBody(const Wallpaper& wallpaper)
{
    SubmissionCreate body;
    body.title = wallpaper.title();
    body.categoryId = serviceKey(wallpaper.category());
    body.type = wallpaper.wallpaperType() == WallpaperType::video ? u"video"_s : u"image"_s;
    body.resolutionWidth = Wallpaper::wholePixels(wallpaper.resolution().width());
    body.resolutionHeight = Wallpaper::wholePixels(wallpaper.resolution().height());
    body.fileSize = wallpaper.fileSize();
    return body;
}

QString SubmissionFiles::contentType(const Wallpaper& wallpaper)
{
    return wallpaper.wallpaperType() == WallpaperType::video ? u"video/quicktime"_s : u"image/png"_s;
}
