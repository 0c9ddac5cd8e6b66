#pragma once

#include "LantoAPIClient.h"

#include <QFuture>
#include <QPromise>

#include <memory>
#include <optional>

// One file sent in parts: multipart-init, parts of LantoAPIClient::partSize
// with at most three in flight (each read from disk as it is sent and retried
// on transient failures), then multipart-complete listing the parts in order.
// The first part that fails for good cancels the others and fails the upload.
// Nothing outlives the call: a failed upload is not aborted at the service.
class MultipartUpload : public std::enable_shared_from_this<MultipartUpload>
{
public:
    // basePath: the file's endpoint path, me/wallpapers/<id>/files/<slot>.
    static QFuture<Result<Done>> start(LantoAPIClient& client, const QString& basePath, const QString& filePath,
                                       qint64 fileSize, const QString& contentType,
                                       LantoAPIClient::ProgressCallback onProgress);

    MultipartUpload(LantoAPIClient& client, const QString& basePath, const QString& filePath, qint64 fileSize,
                    const QString& contentType, LantoAPIClient::ProgressCallback onProgress);

private:
    void begin();
    void startNextPart();
    void partFinished(qint64 partNumber, const Result<PartResponse>& result);
    void complete();
    void finish(Result<Done> result);

    LantoAPIClient& m_client;
    const QString m_basePath;
    const QString m_filePath;
    const qint64 m_fileSize;
    const QString m_contentType;
    const LantoAPIClient::ProgressCallback m_onProgress;
    const qint64 m_partCount;

    QPromise<Result<Done>> m_promise;
    std::unique_ptr<CancelToken> m_cancel;
    QString m_token; // for init and complete; every part reads it again
    MultipartInitResponse m_init;
    qint64 m_nextPart = 1;
    int m_running = 0;
    QList<UploadedPart> m_finished;
    std::optional<ServiceError> m_failure;
};
