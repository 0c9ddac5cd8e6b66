#include "LocalCardInfo.h"

#include "AppEnvironment.h"
#include "SystemColor.h"
#include "WallpaperManager.h"

#include <array>

namespace {

struct Badge
{
    QLatin1StringView status;
    QLatin1StringView text;
    SystemColor color;
};

constexpr std::array badges {
    Badge { QLatin1StringView("uploading"), QLatin1StringView("Uploading"), SystemColor::blue },
    Badge { QLatin1StringView("pending"), QLatin1StringView("Pending Review"), SystemColor::orange },
    Badge { QLatin1StringView("approved"), QLatin1StringView("Public"), SystemColor::green },
    Badge { QLatin1StringView("rejected"), QLatin1StringView("Rejected"), SystemColor::red },
};

const Badge* badgeOf(const QString& status)
{
    for (const Badge& badge : badges) {
        if (status == badge.status)
            return &badge;
    }
    return nullptr;
}

} // namespace

LocalCardInfo::LocalCardInfo(QObject* parent) : LocalCardInfo(AppEnvironment::installedObjects().wallpaperManager, parent) {}

LocalCardInfo::LocalCardInfo(WallpaperManager* manager, QObject* parent) : QObject(parent), m_manager(manager) {}

QString LocalCardInfo::badgeText(const QString& submissionStatus)
{
    const Badge* badge = badgeOf(submissionStatus);
    return badge ? QString(badge->text) : QString();
}

QColor LocalCardInfo::badgeColor(const QString& submissionStatus)
{
    const Badge* badge = badgeOf(submissionStatus);
    return badge ? systemColor(badge->color) : QColor(Qt::transparent);
}

QString LocalCardInfo::kindWord(const Wallpaper& wallpaper)
{
    return wallpaper.isVideo() ? QStringLiteral("Video") : QStringLiteral("Image");
}

QUrl LocalCardInfo::pictureFor(const Wallpaper& wallpaper) const
{
    if (!m_manager)
        return {};
    const WallpaperFiles& files = m_manager->files();
    return files.localPosterURL(wallpaper).value_or(files.localThumbnailURL(wallpaper).value_or(QUrl()));
}

bool LocalCardInfo::canMakePublic(const Wallpaper& wallpaper)
{
    return !wallpaper.submissionStatus() && wallpaper.isVideo();
}
