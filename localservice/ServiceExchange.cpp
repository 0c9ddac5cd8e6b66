#include "ServiceExchange.h"

#include "APIEnvelope.h"

#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

ServiceRequest ServiceRequest::from(const RequestFraming::Request& request, const QString& origin)
{
    ServiceRequest r;
    r.method = request.method;
    const QUrl url = QUrl::fromEncoded(request.target);
    r.segments = url.path(QUrl::FullyDecoded).split(u'/', Qt::SkipEmptyParts);
    r.query = QUrlQuery(url);
    r.headers = request.headers;
    r.body = request.body;
    r.origin = origin;
    return r;
}

QByteArray ServiceRequest::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers) {
        if (QByteArrayView(key).compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString ServiceRequest::bearerToken() const
{
    const QByteArray authorization = header("Authorization");
    if (!authorization.startsWith("Bearer "))
        return {};
    return QString::fromLatin1(authorization.mid(7).trimmed());
}

QString ServiceRequest::queryValue(const QString& name) const
{
    if (!query.hasQueryItem(name))
        return {};
    return query.queryItemValue(name, QUrl::FullyDecoded);
}

bool ServiceRequest::matches(const QByteArray& wantedMethod, const QStringList& pattern) const
{
    if (method != wantedMethod && !(wantedMethod == "GET" && method == "HEAD"))
        return false;
    if (segments.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != "*"_L1 && pattern[i] != segments[i])
            return false;
    }
    return true;
}

ServiceReply ServiceReply::ok(const QJsonValue& data) { return json(APIEnvelope::ok(data)); }

ServiceReply ServiceReply::refused(const Refusal& refusal)
{
    return json(APIEnvelope::failure(refusal.message), refusal.status);
}

ServiceReply ServiceReply::json(const QJsonObject& object, int status)
{
    return content(QJsonDocument(object).toJson(QJsonDocument::Compact), "application/json", status);
}

ServiceReply ServiceReply::content(const QByteArray& body, const QByteArray& contentType, int status)
{
    ServiceReply reply;
    reply.status = status;
    reply.body = body;
    reply.headers.append({ "Content-Type", contentType });
    return reply;
}

ServiceReply ServiceReply::redirect(const QUrl& location)
{
    ServiceReply reply = content("<a href=\"" + QString::fromUtf8(location.toEncoded()).toHtmlEscaped().toUtf8() + "\">Continue</a>",
        "text/html; charset=utf-8", 302);
    return reply.withHeader("Location", location.toEncoded());
}
