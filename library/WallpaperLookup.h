#pragma once

#include "APIWallpaper.h"
#include "CatalogueSource.h"

#include <QFuture>
#include <QString>

// Looks up one catalogue record by its id: the service client in production, a fake in tests.
class WallpaperLookup
{
public:
    virtual ~WallpaperLookup() = default;

    virtual QFuture<Fetched<APIWallpaper>> fetchWallpaper(const QString& id) = 0;
};
