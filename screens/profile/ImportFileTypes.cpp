#include "ImportFileTypes.h"

#include <QFileInfo>
#include <QMimeDatabase>

using namespace Qt::StringLiterals;

namespace {

struct KindType
{
    ImportFileTypes::Kind kind;
    QLatin1StringView mimeType; // a prefix ending in "/" stands for every type under it
};

// The order decides when a file is of several kinds.
constexpr KindType kindTypes[] = {
    { ImportFileTypes::Kind::movie, QLatin1StringView("video/") },
    { ImportFileTypes::Kind::mpeg4Movie, QLatin1StringView("video/mp4") },
    { ImportFileTypes::Kind::quickTimeMovie, QLatin1StringView("video/quicktime") },
    { ImportFileTypes::Kind::png, QLatin1StringView("image/png") },
    { ImportFileTypes::Kind::jpeg, QLatin1StringView("image/jpeg") },
    { ImportFileTypes::Kind::heic, QLatin1StringView("image/heif") },
    { ImportFileTypes::Kind::tiff, QLatin1StringView("image/tiff") },
};

bool conforms(const QMimeType& type, QLatin1StringView wanted)
{
    const auto matches = [wanted](const QString& name) {
        return wanted.endsWith(u'/') ? name.startsWith(wanted) : name == wanted;
    };
    if (matches(type.name()))
        return true;
    for (const QString& alias : type.aliases())
        if (matches(alias))
            return true;
    for (const QString& parent : type.allAncestors())
        if (matches(parent))
            return true;
    return false;
}

} // namespace

std::optional<ImportFileTypes::Kind> ImportFileTypes::kindOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(info);
    for (const KindType& candidate : kindTypes) {
        if (conforms(type, candidate.mimeType))
            return candidate.kind;
    }
    return std::nullopt;
}

QString ImportFileTypes::patternsFor(const QStringList& extensions)
{
    // Cameras name their files in capitals (IMG_0001.MOV) and the chooser
    // matches names case by case, so every extension comes in both cases.
    QStringList patterns;
    for (const QString& extension : extensions) {
        patterns << u"*."_s + extension.toLower();
        patterns << u"*."_s + extension.toUpper();
    }
    return patterns.join(u' ');
}

QStringList ImportFileTypes::nameFilters()
{
    static const QStringList extensions = { u"mov"_s, u"mp4"_s, u"m4v"_s, u"avi"_s, u"mkv"_s, u"png"_s,
        u"jpg"_s, u"jpeg"_s, u"heic"_s, u"heif"_s, u"tif"_s, u"tiff"_s };
    return { tr("Videos and pictures (%1)").arg(patternsFor(extensions)) };
}

QStringList ImportFileTypes::pictureFilters()
{
    static const QStringList extensions = { u"png"_s, u"jpg"_s, u"jpeg"_s, u"heic"_s, u"heif"_s, u"tif"_s,
        u"tiff"_s, u"gif"_s, u"bmp"_s, u"webp"_s };
    return { tr("Pictures (%1)").arg(patternsFor(extensions)) };
}
