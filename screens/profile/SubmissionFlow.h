#pragma once

#include "Wallpaper.h"

#include <QFuture>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

class WallpaperManager;

// Sends one of the user's own wallpapers for review from the My Wallpapers
// screen and keeps a failure, with the wallpaper for "Try Again", until it is
// dismissed or retried. One submission at a time; others are dropped. One for
// the application, so a failure is still there after leaving the screen. Main thread.
class SubmissionFlow : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString submissionError READ submissionError NOTIFY failureChanged)
    // Invalid when there is none to retry.
    Q_PROPERTY(Wallpaper failedSubmissionWallpaper READ failedSubmissionWallpaper NOTIFY failureChanged)

public:
    // Submits; the future holds the failure's description, none on success.
    using Submit = std::function<QFuture<std::optional<QString>>(const Wallpaper&)>;
    using IsSubmitting = std::function<bool()>;

    // Submits through the environment's library.
    explicit SubmissionFlow(QObject* parent = nullptr);
    SubmissionFlow(Submit submit, IsSubmitting isSubmitting, QObject* parent = nullptr);

    static Submit submitThrough(WallpaperManager* manager);

    Q_INVOKABLE void submit(const Wallpaper& wallpaper);
    // Submits the wallpaper kept from the failure, as it was then.
    Q_INVOKABLE void retry();
    Q_INVOKABLE void dismissError() { setFailure(std::nullopt, std::nullopt); }

    QString submissionError() const { return m_error.value_or(QString()); }
    Wallpaper failedSubmissionWallpaper() const { return m_failed.value_or(Wallpaper()); }

signals:
    void failureChanged();

private:
    void setFailure(std::optional<QString> error, std::optional<Wallpaper> wallpaper);

    Submit m_submit;
    IsSubmitting m_isSubmitting;
    std::optional<QString> m_error;
    std::optional<Wallpaper> m_failed;
};
