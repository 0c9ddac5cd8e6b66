#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;

// Downloads the update feed. Each fetch has its own reply; its body is cut off
// (and the fetch failed) past Appcast::maxFeedBytes. The status is not looked
// at: a page that is no feed simply reads as none. Main thread.
class AppcastFeed : public QObject
{
    Q_OBJECT

public:
    struct Response
    {
        std::optional<QByteArray> body;
        QString error; // the failure's description when there is no body
    };
    using Done = std::function<void(const Response&)>;

    static constexpr std::chrono::seconds timeout { 30 };

    AppcastFeed(QNetworkAccessManager& network, QUrl address, QObject* parent = nullptr);

    QUrl address() const { return m_address; }

    // Calls done once, on this thread, unless context is gone by then.
    void fetch(const QObject* context, Done done);

private:
    QNetworkAccessManager& m_network;
    const QUrl m_address;
};
