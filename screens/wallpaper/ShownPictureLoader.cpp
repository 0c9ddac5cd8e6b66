#include "ShownPictureLoader.h"

#include "FutureDelivery.h"
#include "PictureDecoding.h"

#include <utility>

ShownPictureLoader::ShownPictureLoader(QObject* parent) : ShownPictureLoader(WebPictureBytes::shared(), parent) {}

ShownPictureLoader::ShownPictureLoader(WebPictureBytes& bytes, QObject* parent) : QObject(parent), m_bytes(bytes) {}

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
    m_ticket = m_bytes.fetch(source, *network, [this, coverPixels](const QByteArray& bytes) {
        m_ticket = 0;
        if (bytes.isEmpty())
            emit loaded({});
        else
            decode([bytes, coverPixels] { return PictureDecoding::decodeBytes(bytes, coverPixels); });
    });
}

void ShownPictureLoader::cancel()
{
    ++m_generation;
    if (m_ticket != 0)
        m_bytes.cancel(std::exchange(m_ticket, 0));
}

void ShownPictureLoader::decode(std::function<QImage()> work)
{
    const quint64 generation = m_generation;
    runDeliveredTo(this, std::move(work)).then(this, [this, generation](const QImage& image) {
        if (generation == m_generation)
            emit loaded(image);
    });
}
