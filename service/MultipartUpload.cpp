#include "MultipartUpload.h"

#include "CancelToken.h"
#include "SessionTokenStore.h"

#include <QJsonDocument>
#include <QNetworkRequest>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

QFuture<Result<Done>> MultipartUpload::start(LantoAPIClient& client, const QString& basePath, const QString& filePath,
    qint64 fileSize, const QString& contentType, LantoAPIClient::ProgressCallback onProgress)
{
    auto upload
        = std::make_shared<MultipartUpload>(client, basePath, filePath, fileSize, contentType, std::move(onProgress));
    QFuture<Result<Done>> future = upload->m_promise.future();
    upload->m_promise.start();
    upload->begin();
    return future;
}

MultipartUpload::MultipartUpload(LantoAPIClient& client, const QString& basePath, const QString& filePath,
    qint64 fileSize, const QString& contentType, LantoAPIClient::ProgressCallback onProgress)
    : m_client(client),
      m_basePath(basePath),
      m_filePath(filePath),
      m_fileSize(fileSize),
      m_contentType(contentType),
      m_onProgress(std::move(onProgress)),
      m_partCount((fileSize + LantoAPIClient::partSize - 1) / LantoAPIClient::partSize),
      m_cancel(std::make_unique<CancelToken>())
{
}

void MultipartUpload::begin()
{
    const std::optional<QString> token = SessionTokenStore::load();
    if (!token)
        return finish(APIError::serverError(u"Not signed in"_s));
    m_token = *token;
    const QNetworkRequest request
        = m_client.fileRequest(m_client.endpointURL(m_basePath + "/multipart-init"_L1), m_contentType, m_token);
    auto self = shared_from_this();
    LantoAPIClient::payloadOf<MultipartInitResponse>(
        m_client.send(request, "POST", {}, m_client.m_limits), u"Multipart init failed"_s)
        .then([self](const Result<MultipartInitResponse>& init) {
            if (!init)
                return self->finish(init.error());
            self->m_init = init.value();
            for (int i = 0; i < LantoAPIClient::partsInFlight && self->m_nextPart <= self->m_partCount; ++i)
                self->startNextPart();
        });
}

void MultipartUpload::startNextPart()
{
    const qint64 partNumber = m_nextPart++;
    const qint64 offset = (partNumber - 1) * LantoAPIClient::partSize;
    const qint64 length = std::min(LantoAPIClient::partSize, m_fileSize - offset);
    const QUrl url = m_client.endpointURL(m_basePath + "/multipart-part"_L1,
        { { u"uploadId"_s, m_init.uploadId }, { u"partNumber"_s, QString::number(partNumber) },
            { u"key"_s, m_init.key } });
    const QString path = m_filePath;
    CancelToken* cancel = m_cancel.get();
    LantoAPIClient& client = m_client;
    ++m_running;
    auto self = shared_from_this();
    client
        .withTransientRetry<PartResponse>(
            [&client, url, path, offset, length, cancel] {
                return LantoAPIClient::payloadOf<PartResponse>(
                    client.putFile(url, u"application/octet-stream"_s, UploadBody::fileSlice(path, offset, length),
                        cancel),
                    u"Part upload failed"_s);
            },
            cancel)
        .then([self, partNumber](const Result<PartResponse>& result) { self->partFinished(partNumber, result); });
}

void MultipartUpload::partFinished(qint64 partNumber, const Result<PartResponse>& result)
{
    --m_running;
    if (m_failure) {
        // A part cancelled after another one failed.
    } else if (!result) {
        m_failure = result.error();
        m_cancel->cancel();
    } else {
        m_finished.append(UploadedPart { partNumber, result.value().etag });
        if (m_onProgress)
            m_onProgress(double(m_finished.size()) / double(m_partCount));
        if (m_nextPart <= m_partCount)
            startNextPart();
    }
    if (m_running > 0)
        return;
    if (m_failure)
        return finish(*m_failure);
    complete();
}

void MultipartUpload::complete()
{
    std::sort(m_finished.begin(), m_finished.end(),
        [](const UploadedPart& a, const UploadedPart& b) { return a.partNumber < b.partNumber; });
    const CompleteBody body { m_init.uploadId, m_init.key, m_finished };
    const QByteArray json = QJsonDocument(body.toJson()).toJson(QJsonDocument::Compact);
    const QNetworkRequest request = m_client.fileRequest(
        m_client.endpointURL(m_basePath + "/multipart-complete"_L1), u"application/json"_s, m_token);
    auto self = shared_from_this();
    LantoAPIClient::outcomeOf<CompleteResponse>(
        m_client.send(request, "POST", LantoAPIClient::bytesBody(json), m_client.m_limits),
        u"Multipart complete failed"_s)
        .then([self](const Result<Done>& done) { self->finish(done); });
}

void MultipartUpload::finish(Result<Done> result)
{
    m_promise.addResult(std::move(result));
    m_promise.finish();
}
