#include "SubmissionFlow.h"

#include "AppEnvironment.h"
#include "WallpaperManager.h"

SubmissionFlow::SubmissionFlow(QObject* parent)
    : SubmissionFlow(submitThrough(AppEnvironment::installedObjects().wallpaperManager),
          [manager = AppEnvironment::installedObjects().wallpaperManager] { return manager && manager->isSubmitting(); },
          parent)
{
}

SubmissionFlow::SubmissionFlow(Submit submit, IsSubmitting isSubmitting, QObject* parent)
    : QObject(parent), m_submit(std::move(submit)), m_isSubmitting(std::move(isSubmitting))
{
}

SubmissionFlow::Submit SubmissionFlow::submitThrough(WallpaperManager* manager)
{
    return [manager](const Wallpaper& wallpaper) -> QFuture<std::optional<QString>> {
        if (!manager)
            return QtFuture::makeReadyFuture(std::optional<QString>());
        return manager->submitWallpaper(wallpaper).then([](const WallpaperSubmitter::Outcome& outcome) {
            return outcome ? std::optional(outcome->description()) : std::nullopt;
        });
    };
}

void SubmissionFlow::submit(const Wallpaper& shown)
{
    if (m_isSubmitting())
        return;
    // The record may be a row of the library's list, which the submission changes
    // (its status) before it returns: keep a copy of our own.
    const Wallpaper wallpaper = shown;
    setFailure(std::nullopt, std::nullopt);
    m_submit(wallpaper).then(this, [this, wallpaper](const std::optional<QString>& failure) {
        if (failure)
            setFailure(*failure, wallpaper);
    });
}

void SubmissionFlow::retry()
{
    if (!m_failed)
        return;
    const Wallpaper wallpaper = *m_failed;
    setFailure(std::nullopt, std::nullopt);
    submit(wallpaper);
}

void SubmissionFlow::setFailure(std::optional<QString> error, std::optional<Wallpaper> wallpaper)
{
    if (m_error == error && m_failed.has_value() == wallpaper.has_value() && (!m_failed || *m_failed == *wallpaper))
        return;
    m_error = std::move(error);
    m_failed = std::move(wallpaper);
    emit failureChanged();
}
