#pragma once

#include "APIWallpaper.h"
#include "Result.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class LantoAPIClient;

// Fetches every public wallpaper of a profile, page after page, while a page
// holds 20 or more. Each page is its own request; a fetch that is cancelled,
// replaced or outlived by its pager ends without calling back. Main thread.
class ProfileWallpaperPager : public QObject
{
    Q_OBJECT

public:
    using Finished = std::function<void(const Result<QList<APIWallpaper>>&)>;

    static constexpr int fullPage = 20;
    // A service that never sends a short page still ends here.
    static constexpr int maximumPages = 500;

    ProfileWallpaperPager(LantoAPIClient& client, QObject* parent = nullptr);

    // Replaces a fetch under way.
    void fetch(const QString& profileId, Finished finished);
    void cancel() { ++m_generation; }

private:
    void fetchPage(quint64 generation, const QString& profileId, qint64 page, QList<APIWallpaper> collected,
        const Finished& finished);

    LantoAPIClient& m_client;
    quint64 m_generation = 0;
};
