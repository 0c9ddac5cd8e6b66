#pragma once

#include <QFuture>
#include <QString>
#include <QUrl>

#include <optional>

// The download service's thumbnail fetch: the local file of a catalogue
// wallpaper's thumbnail, loading it first when it is not on disk. Never fails
// outward; nothing means no thumbnail. Main thread.
class ThumbnailSource
{
public:
    virtual ~ThumbnailSource() = default;

    virtual QFuture<std::optional<QUrl>> fetchThumbnail(const QString& wallpaperId, const QString& thumbnailPath) = 0;
};
