#include "ServiceExchange.h"

#include "APIEnvelope.h"

#include <QHttpServerRequest>
#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Options:
        return "OPTIONS";
    case QHttpServerRequest::Method::Patch:
        return "PATCH";
    default:
        return "OTHER";
    }
}

} // namespace

ServiceRequest ServiceRequest::from(const QHttpServerRequest& request, const QString& origin)
{
    ServiceRequest r;
    r.method = methodName(request.method());
    const QString path = request.url().path(QUrl::FullyDecoded);
    r.segments = path.split(u'/', Qt::SkipEmptyParts);
    r.query = request.query();
    r.headers = request.headers();
    r.body = request.body();
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
