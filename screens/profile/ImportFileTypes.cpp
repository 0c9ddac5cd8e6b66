#include "ImportFileTypes.h"

#include <QFileInfo>
#include <QMimeDatabase>

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

QStringList ImportFileTypes::nameFilters()
{
    return { tr("Videos and pictures (*.mov *.mp4 *.m4v *.avi *.mkv *.png *.jpg *.jpeg *.heic *.heif *.tif *.tiff)") };
}
