#include "ShownPictureLoader.h"

#include "FutureDelivery.h"
#include "PictureDecoding.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

ShownPictureLoader::ShownPictureLoader(QObject* parent) : QObject(parent) {}

ShownPictureLoader::~ShownPictureLoader()
{
    cancel();
}

bool ShownPictureLoader::isLoadableAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && (url.isLocalFile() || !url.host().isEmpty());
}

void ShownPictureLoader::load(const QUrl& source, QSize coverPixels, QNetworkAccessManager* network)
{
    cancel();
    if (source.isLocalFile() || source.scheme() == u"qrc") {
        const QString path = source.isLocalFile() ? source.toLocalFile() : QStringLiteral(":") + source.path();
        decode([path, coverPixels] { return PictureDecoding::decodeFile(path, coverPixels); });
        return;
    }
    if (!network || !isLoadableAddress(source.toString())) {
        emit loaded({});
        return;
    }
    QNetworkReply* reply = network->get(QNetworkRequest(source));
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (reply != m_reply)
            return; // an earlier load's, on its way out
        if (received > maximumDownloadBytes || total > maximumDownloadBytes) {
            cancel();
            emit loaded({});
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, coverPixels] {
        reply->deleteLater();
        if (reply != m_reply)
            return;
        m_reply = nullptr;
        if (reply->error() != QNetworkReply::NoError) {
            emit loaded({});
            return;
        }
        decode([bytes = reply->readAll(), coverPixels] { return PictureDecoding::decodeBytes(bytes, coverPixels); });
    });
}

void ShownPictureLoader::cancel()
{
    ++m_generation;
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->abort();
        reply->deleteLater();
    }
}

void ShownPictureLoader::decode(std::function<QImage()> work)
{
    const quint64 generation = m_generation;
    runDeliveredTo(this, std::move(work)).then(this, [this, generation](const QImage& image) {
        if (generation == m_generation)
            emit loaded(image);
    });
}
