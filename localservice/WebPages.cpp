// The pages a browser sees: the identity provider's authorize form and the
// service's sign-in callback, which hands the browser to Lanto; and the
// update feed.
#include "LocalService.h"
#include "ServiceOverrides.h"

#include <QCryptographicHash>
#include <QDateTime>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString callbackPath = u"/api/v1/auth/apple/callback"_s;

QString escaped(const QString& text) { return text.toHtmlEscaped(); }

// This service's callback, under whichever loopback name the client used.
bool isOwnCallback(const QString& text, const QString& origin)
{
    const QUrl url(text, QUrl::StrictMode), own(origin);
    return url.scheme() == own.scheme() && url.port() == own.port() && url.path() == callbackPath && !url.hasQuery()
        && ServiceOverrides::isAcceptable(url);
}

QByteArray authorizePage(const QString& redirect, const QString& state, const QString& problem)
{
    QString page = uR"(<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Sign in</title>
<style>body{font-family:sans-serif;background:#111;color:#eee;display:flex;justify-content:center;padding-top:12vh}
form{background:#222;padding:2em 2.5em;border-radius:14px;min-width:20em}
input[type=text]{width:100%;padding:.6em;margin:.6em 0 1.2em;border-radius:8px;border:1px solid #555;background:#111;color:#eee}
button{padding:.6em 1.4em;border-radius:8px;border:0;margin-right:.6em}.problem{color:#f77}</style></head>
<body><form method="post" action="/auth/authorize">
<h2>Sign in to Lanto</h2>
<p>This page stands in for the identity provider on this machine. The same name signs in to the same account.</p>
<label for="name">Display name</label>
<input type="text" id="name" name="name" autofocus required maxlength="80">
)"_s;
    if (!problem.isEmpty())
        page += u"<p class=\"problem\">"_s + escaped(problem) + u"</p>\n"_s;
    page += u"<input type=\"hidden\" name=\"redirect_uri\" value=\""_s + escaped(redirect) + u"\">\n"_s
        + u"<input type=\"hidden\" name=\"state\" value=\""_s + escaped(state) + u"\">\n"_s
        + u"<button type=\"submit\" name=\"action\" value=\"continue\">Continue</button>"_s
        + u"<button type=\"submit\" name=\"action\" value=\"cancel\" formnovalidate>Cancel</button>\n"_s
        + u"</form></body></html>\n"_s;
    return page.toUtf8();
}

// A form body: "+" is a space there, unlike in a URL's query.
QUrlQuery formFields(const QByteArray& body)
{
    QByteArray spaced = body;
    spaced.replace('+', "%20");
    return QUrlQuery(QString::fromLatin1(spaced));
}

QString field(const QUrlQuery& fields, const QString& name)
{
    return fields.queryItemValue(name, QUrl::FullyDecoded);
}

// The provider's user identity: the same display name is the same person.
QString identityFor(const QString& name)
{
    const QByteArray digest
        = QCryptographicHash::hash(name.trimmed().toCaseFolded().toUtf8(), QCryptographicHash::Sha256).toHex();
    return u"local."_s + QString::fromLatin1(digest.left(24));
}

QUrl withQuery(QUrl url, const QList<std::pair<QString, QString>>& items)
{
    QUrlQuery query;
    for (const auto& [name, value] : items)
        query.addQueryItem(name, QString::fromUtf8(QUrl::toPercentEncoding(value)));
    url.setQuery(query);
    return url;
}

} // namespace

std::optional<ServiceReply> LocalService::answerPage(const ServiceRequest& r)
{
    const QStringList authorize { u"auth"_s, u"authorize"_s };
    if (r.matches("GET", authorize)) {
        const QString redirect = r.queryValue(u"redirect_uri"_s);
        if (!isOwnCallback(redirect, r.origin) || r.queryValue(u"response_type"_s) != "code"_L1)
            return ServiceReply::content(u"This page signs in only to "_s.toUtf8() + r.origin.toUtf8()
                    + callbackPath.toUtf8() + ", with response_type \"code\".\n",
                "text/plain; charset=utf-8", 400);
        return ServiceReply::content(
            authorizePage(redirect, r.queryValue(u"state"_s), {}), "text/html; charset=utf-8");
    }
    if (r.matches("POST", authorize)) {
        const QUrlQuery fields = formFields(r.body);
        const QString redirect = field(fields, u"redirect_uri"_s);
        const QString state = field(fields, u"state"_s);
        if (!isOwnCallback(redirect, r.origin))
            return ServiceReply::content("This page signs in only to this service.\n", "text/plain; charset=utf-8", 400);
        if (field(fields, u"action"_s) == "cancel"_L1)
            return ServiceReply::redirect(
                withQuery(QUrl(redirect), { { u"error"_s, u"user_cancelled_authorize"_s }, { u"state"_s, state } }));
        const QString name = field(fields, u"name"_s).trimmed();
        if (name.isEmpty() || name.size() > 80)
            return ServiceReply::content(
                authorizePage(redirect, state, u"Enter a display name of 1 to 80 characters."_s),
                "text/html; charset=utf-8", 400);
        const QString code = m_accounts.issueSignInCode(identityFor(name), name);
        if (code.isEmpty())
            return ServiceReply::content("The sign-in could not be stored.\n", "text/plain; charset=utf-8", 500);
        return ServiceReply::redirect(withQuery(QUrl(redirect), { { u"code"_s, code }, { u"state"_s, state } }));
    }
    if (r.matches("GET", { u"api"_s, u"v1"_s, u"auth"_s, u"apple"_s, u"callback"_s })) {
        QList<std::pair<QString, QString>> items;
        for (const QString& name : { u"code"_s, u"error"_s, u"state"_s }) {
            if (!r.queryValue(name).isNull())
                items.append({ name, r.queryValue(name) });
        }
        if (items.isEmpty())
            items.append({ u"error"_s, u"invalid_request"_s });
        return ServiceReply::redirect(withQuery(QUrl(u"lanto://auth"_s), items));
    }
    if (r.matches("GET", { u"appcast.xml"_s })) {
        const QString xml = uR"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="https://lanto.app/xml-namespaces/appcast">
<channel><title>Lanto</title>
<item><title>Lanto %1</title><pubDate>%3</pubDate>
<sparkle:version>%2</sparkle:version><sparkle:shortVersionString>%1</sparkle:shortVersionString>
</item></channel></rss>
)"_s.arg(escaped(m_options.appcastVersion), escaped(m_options.appcastBuild),
            QDateTime::currentDateTimeUtc().toString(Qt::RFC2822Date));
        return ServiceReply::content(xml.toUtf8(), "application/rss+xml; charset=utf-8");
    }
    return std::nullopt;
}
