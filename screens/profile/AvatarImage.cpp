#include "AvatarImage.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>

AvatarImage::AvatarImage(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

AvatarImage::~AvatarImage()
{
    if (m_reply)
        m_reply->abort();
}

void AvatarImage::setImage(const QImage& image)
{
    const bool wasReady = isReady();
    m_image = image;
    emit imageChanged();
    if (wasReady != isReady())
        emit readyChanged();
    update();
}

void AvatarImage::setSource(const QUrl& source)
{
    if (m_source == source)
        return;
    m_source = source;
    emit sourceChanged();
    setLoaded({});
    load();
}

void AvatarImage::load()
{
    if (m_reply)
        m_reply->abort();
    QQmlEngine* engine = qmlEngine(this);
    if (!m_source.isValid() || m_source.isEmpty() || !engine || !engine->networkAccessManager())
        return;
    QNetworkReply* reply = engine->networkAccessManager()->get(QNetworkRequest(m_source));
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > maximumBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        if (reply != m_reply || reply->error() != QNetworkReply::NoError)
            return;
        setLoaded(QImage::fromData(reply->readAll()));
    });
}

void AvatarImage::setLoaded(const QImage& image)
{
    const bool wasReady = isReady();
    m_loaded = image;
    if (wasReady != isReady())
        emit readyChanged();
    update();
}

void AvatarImage::paint(QPainter* painter)
{
    const QImage& picture = shown();
    if (picture.isNull())
        return;
    const QRectF bounds = boundingRect();
    // Fill the circle: scale to cover, centre, cut the rest.
    const qreal scale = std::max(bounds.width() / picture.width(), bounds.height() / picture.height());
    const QSizeF drawn(picture.width() * scale, picture.height() * scale);
    const QRectF target(bounds.center() - QPointF(drawn.width() / 2, drawn.height() / 2), drawn);
    QPainterPath circle;
    circle.addEllipse(bounds);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setClipPath(circle);
    painter->drawImage(target, picture);
}
