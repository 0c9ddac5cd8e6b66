#include "RoundedPicture.h"

#include <QLinearGradient>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>

namespace {

// Larger pictures are not avatars or thumbnails; refuse them rather than hold them.
constexpr qint64 maximumDownloadBytes = 8 * 1024 * 1024;

} // namespace

RoundedPicture::RoundedPicture(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

RoundedPicture::~RoundedPicture()
{
    cancelLoad();
}

bool RoundedPicture::isLoadableAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && (url.isLocalFile() || !url.host().isEmpty());
}

void RoundedPicture::setSource(const QUrl& source)
{
    if (m_source == source)
        return;
    m_source = source;
    emit sourceChanged();
    load();
}

void RoundedPicture::setImage(const QImage& image)
{
    if (m_image == image)
        return;
    const bool had = hasPicture();
    m_image = image;
    emit imageChanged();
    if (had != hasPicture())
        emit hasPictureChanged();
    update();
}

void RoundedPicture::setRadius(double radius)
{
    if (qFuzzyCompare(m_radius, radius))
        return;
    m_radius = radius;
    emit radiusChanged();
    update();
}

void RoundedPicture::setFallbackColors(const QVariantList& colors)
{
    if (m_fallbackColors == colors)
        return;
    m_fallbackColors = colors;
    emit fallbackColorsChanged();
    update();
}

void RoundedPicture::load()
{
    cancelLoad();
    if (m_source.isLocalFile() || m_source.scheme() == u"qrc") {
        const QString path = m_source.isLocalFile() ? m_source.toLocalFile() : QStringLiteral(":") + m_source.path();
        setLoaded(QImage(path));
        return;
    }
    setLoaded(QImage());
    if (!isLoadableAddress(m_source.toString()))
        return;
    QQmlEngine* engine = qmlEngine(this);
    QNetworkAccessManager* network = engine ? engine->networkAccessManager() : nullptr;
    if (!network)
        return;
    m_reply = network->get(QNetworkRequest(m_source));
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > maximumDownloadBytes)
            cancelLoad();
    });
    connect(m_reply, &QNetworkReply::finished, this, [this, reply = m_reply] {
        reply->deleteLater();
        if (reply != m_reply)
            return;
        m_reply = nullptr;
        if (reply->error() == QNetworkReply::NoError)
            setLoaded(QImage::fromData(reply->readAll()));
    });
}

void RoundedPicture::cancelLoad()
{
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->abort();
        reply->deleteLater();
    }
}

void RoundedPicture::setLoaded(const QImage& image)
{
    const bool had = hasPicture();
    m_loaded = image;
    if (had != hasPicture())
        emit hasPictureChanged();
    update();
}

void RoundedPicture::paint(QPainter* painter)
{
    const QRectF bounds = boundingRect();
    if (bounds.isEmpty())
        return;
    QPainterPath shape;
    shape.addRoundedRect(bounds, m_radius, m_radius);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);

    const QImage& picture = shownPicture();
    if (!picture.isNull()) {
        // Fill: scale to cover, centre, cut off what overhangs.
        const QSizeF covered = QSizeF(picture.size()).scaled(bounds.size(), Qt::KeepAspectRatioByExpanding);
        const QRectF target(bounds.center() - QPointF(covered.width() / 2, covered.height() / 2), covered);
        painter->setClipPath(shape);
        painter->drawImage(target, picture);
        return;
    }
    if (m_fallbackColors.isEmpty())
        return;
    QLinearGradient gradient(bounds.topLeft(), bounds.bottomRight());
    const qsizetype count = m_fallbackColors.size();
    for (qsizetype i = 0; i < count; ++i)
        gradient.setColorAt(count == 1 ? 0.0 : double(i) / double(count - 1), m_fallbackColors.at(i).value<QColor>());
    painter->fillPath(shape, gradient);
}
