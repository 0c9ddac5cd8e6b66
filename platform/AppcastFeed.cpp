#include "AppcastFeed.h"

#include "Appcast.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

AppcastFeed::AppcastFeed(QNetworkAccessManager& network, QUrl address, QObject* parent)
    : QObject(parent), m_network(network), m_address(std::move(address))
{
}

void AppcastFeed::fetch(const QObject* context, Done done)
{
    if (!m_address.isValid() || m_address.isRelative()) {
        QTimer::singleShot(0, context ? context : this, [done] {
            done({ std::nullopt, u"The update feed address is not valid"_s });
        });
        return;
    }
    QNetworkRequest request(m_address);
    request.setTransferTimeout(int(std::chrono::milliseconds(timeout).count()));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = m_network.get(request);
    reply->setParent(this);
    auto tooLong = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, tooLong](qint64 received, qint64) {
        if (received > Appcast::maxFeedBytes && !*tooLong) {
            *tooLong = true;
            reply->abort();
        }
    });
    QPointer<const QObject> guard(context);
    connect(reply, &QNetworkReply::finished, this, [reply, tooLong, guard, done = std::move(done)] {
        reply->deleteLater();
        Response response;
        if (*tooLong)
            response.error = u"The update feed is larger than %1 bytes"_s.arg(Appcast::maxFeedBytes);
        else if (reply->error() != QNetworkReply::NoError)
            response.error = reply->errorString();
        else
            response.body = reply->readAll();
        if (guard)
            done(response);
    });
}
