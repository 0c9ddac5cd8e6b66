#pragma once

#include "APIModels.h"
#include "Result.h"
#include "SubmissionError.h"
#include "Wallpaper.h"

#include <QByteArray>
#include <QFuture>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class LantoAPIClient;
class WallpaperManager;

// Sends one of the user's own wallpapers for review: creates the submission,
// uploads its thumbnail, poster, content and preview clip, asks for review,
// and records the status in the library ("uploading" while it runs, "pending"
// once it is sent, none after a failure). One submission at a time. Main thread.
class WallpaperSubmitter : public QObject
{
    Q_OBJECT

public:
    // None on success, for a call while another submission runs, and for a
    // wallpaper already sent ("pending" or "approved"), which is not sent again.
    using Outcome = std::optional<SubmissionFailure>;

    WallpaperSubmitter(
        WallpaperManager& library, LantoAPIClient& client, QString downloadsDirectory, QObject* parent = nullptr);
    ~WallpaperSubmitter() override;

    bool isSubmitting() const { return m_isSubmitting; }
    // 0.0 to 1.0 in fixed steps; the content upload moves it from 0.4 to 0.8.
    double submissionProgress() const { return m_progress; }

    // The wallpaper's key is its cloud id, which names its folder. The
    // submission counts as running from this call on, before anything is awaited.
    QFuture<Outcome> submitWallpaper(const Wallpaper& wallpaper);

signals:
    void isSubmittingChanged();
    void submissionProgressChanged();

private:
    struct Run;
    using RunPtr = std::shared_ptr<Run>;
    template <typename T> using Step = void (WallpaperSubmitter::*)(const RunPtr&, const T&);

    // Goes on with next once the request succeeds; fails the run otherwise.
    template <typename T> void await(const RunPtr& run, QFuture<Result<T>> request, Step<T> next);

    void createSubmission(const RunPtr& run, const QByteArray& thumbnail);
    void uploadThumbnail(const RunPtr& run, const SubmissionCreateResponse& created);
    void uploadPoster(const RunPtr& run, const Done&);
    void uploadContent(const RunPtr& run, const Done&);
    void uploadPreview(const RunPtr& run, const Done&);
    void submit(const RunPtr& run, const Done&);
    void succeed(const RunPtr& run, const Done&);
    void fail(const RunPtr& run, const SubmissionFailure& failure);
    // Every way out of a started submission: a run that did not reach the end leaves no status.
    void finishSubmission(const QString& key);

    void setSubmitting(bool submitting);
    void setProgress(double progress);

    WallpaperManager& m_library;
    LantoAPIClient& m_client;
    const QString m_downloadsDirectory;
    bool m_isSubmitting = false;
    double m_progress = 0.0;
};
