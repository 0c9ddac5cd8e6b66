#include "PlacedAerialFiles.h"

#include "AerialManagerLog.h"
#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace {

void log(const QString& text) { AerialManagerLog::write(text); }

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

void PlacedAerialFiles::createDirectories() const
{
    for (const QString& path :
        { m_paths.videosDirectory, m_paths.thumbnailsDirectory, QFileInfo(m_paths.manifest).absolutePath() }) {
        if (QFileInfo::exists(path))
            continue;
        std::error_code error;
        std::filesystem::create_directories(nativePath(path), error);
        if (error)
            log(QStringLiteral("Failed to create directory %1 — %2")
                    .arg(path, QString::fromStdString(error.message())));
    }
}

std::optional<AerialsManifest> PlacedAerialFiles::readManifest() const
{
    using Status = AerialsManifestFile::ReadResult::Status;
    auto result = AerialsManifestFile::read(m_paths.manifest);
    switch (result.status) {
    case Status::Missing:
        log(QStringLiteral("entries.json not found at ") + m_paths.manifest);
        return result.manifest;
    case Status::Unreadable:
        log(QStringLiteral("Failed to read entries.json — ") + result.error);
        return std::nullopt;
    case Status::NotAnObject:
        log(QStringLiteral("entries.json is not a JSON object"));
        return std::nullopt;
    case Status::Read:
        break;
    }
    return result.manifest;
}

bool PlacedAerialFiles::writeManifest(const AerialsManifest& manifest) const
{
    QString error;
    if (AerialsManifestFile::write(m_paths.manifest, manifest, &error))
        return true;
    log(QStringLiteral("Failed to write entries.json — ") + error);
    return false;
}

void PlacedAerialFiles::linkOrCopy(const QString& from, const QString& to) const
{
    // The source lies in a folder others may change: a pipe or device in its place is no source.
    const std::optional<RegularFile> source = RegularFile::open(from);
    if (!source)
        return;
    QFile::remove(to);
    QString error;
    if (source->linkTo(to, &error))
        return;
    log(QStringLiteral("linkItem failed (%1), falling back to copy").arg(error));
    // Copied beside the destination and renamed, so the system never sees half a file.
    if (!source->copyTo(to, &error))
        log(QStringLiteral("copyItem also failed — %1").arg(error));
}

void PlacedAerialFiles::deleteFiles(const QString& assetID) const
{
    for (const char* extension : { "mov", "mp4", "m4v" })
        QFile::remove(m_paths.videoFile(assetID, QLatin1String(extension)));
    for (const char* extension : { "png", "heic", "jpg" }) {
        QFile::remove(m_paths.thumbnailFile(assetID, QLatin1String(extension)));
        QFile::remove(m_paths.thumbnailFile(assetID + QStringLiteral("-poster"), QLatin1String(extension)));
    }
}
