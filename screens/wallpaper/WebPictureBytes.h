#pragma once

#include <QCache>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// The bytes of web pictures by address, shared by every picture on screen: the
// same avatar on many cards downloads once, and stays in memory for the next
// visit up to a bounded total (the least recently used go first). A body beyond
// maximumBytes is refused, so a hostile address cannot fill memory; failures
// are not kept. Main thread.
class WebPictureBytes : public QObject
{
    Q_OBJECT

public:
    // Avatars and posters are far smaller; anything larger is not worth holding.
    static constexpr qint64 maximumBytes = 8 * 1024 * 1024;

    explicit WebPictureBytes(qint64 keptBytes, QObject* parent = nullptr);
    ~WebPictureBytes() override;

    // The one the screens share.
    static WebPictureBytes& shared();

    // Receives the bytes, or empty ones when there is nothing to show.
    using Delivery = std::function<void(const QByteArray&)>;

    // Delivers the bytes at the address once: at once when they are kept,
    // else when the download (shared with every other asker) ends. The ticket
    // (0 when delivered at once) cancels the delivery; the download stops when
    // no one waits for it any more.
    quint64 fetch(const QUrl& url, QNetworkAccessManager& network, Delivery delivery);
    void cancel(quint64 ticket);

private:
    struct Download
    {
        QPointer<QNetworkReply> reply;
        QMap<quint64, Delivery> waiting;
    };

    void finish(const QUrl& url, const QByteArray& bytes);

    QHash<QUrl, Download> m_downloads;
    QCache<QUrl, QByteArray> m_kept; // cost in kilobytes
    quint64 m_lastTicket = 0;
};
