#include "WebPictureBytes.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

qsizetype kilobytes(qint64 bytes) { return qsizetype(bytes / 1024 + 1); }

} // namespace

WebPictureBytes::WebPictureBytes(qint64 keptBytes, QObject* parent) : QObject(parent), m_kept(kilobytes(keptBytes)) {}

WebPictureBytes::~WebPictureBytes()
{
    for (const Download& download : std::as_const(m_downloads)) {
        if (download.reply) {
            download.reply->disconnect(this);
            download.reply->abort();
            download.reply->deleteLater();
        }
    }
}

WebPictureBytes& WebPictureBytes::shared()
{
    static WebPictureBytes* const bytes = new WebPictureBytes(32 * 1024 * 1024);
    return *bytes;
}

quint64 WebPictureBytes::fetch(const QUrl& url, QNetworkAccessManager& network, Delivery delivery)
{
    if (const QByteArray* kept = m_kept.object(url)) {
        delivery(*kept);
        return 0;
    }
    const quint64 ticket = ++m_lastTicket;
    Download& download = m_downloads[url];
    download.waiting.insert(ticket, std::move(delivery));
    if (download.reply)
        return ticket;

    QNetworkReply* reply = network.get(QNetworkRequest(url));
    download.reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, url, reply](qint64 received, qint64 total) {
        if (received > maximumBytes || total > maximumBytes) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
            finish(url, {});
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, url, reply] {
        reply->deleteLater();
        const QByteArray bytes = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
        if (!bytes.isEmpty())
            m_kept.insert(url, new QByteArray(bytes), kilobytes(bytes.size()));
        finish(url, bytes);
    });
    return ticket;
}

void WebPictureBytes::finish(const QUrl& url, const QByteArray& bytes)
{
    const QMap<quint64, Delivery> waiting = m_downloads.take(url).waiting;
    for (const Delivery& delivery : waiting)
        delivery(bytes);
}

void WebPictureBytes::cancel(quint64 ticket)
{
    for (auto it = m_downloads.begin(); it != m_downloads.end(); ++it) {
        if (it->waiting.remove(ticket) == 0)
            continue;
        if (it->waiting.isEmpty()) {
            if (QNetworkReply* reply = it->reply) {
                reply->disconnect(this);
                reply->abort();
                reply->deleteLater();
            }
            m_downloads.erase(it);
        }
        return;
    }
}
