#include "SignInCallback.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

SignInCallback SignInCallback::read(const QUrl& url, const std::optional<QString>& pendingState)
{
    // Any page can send the browser to a "lanto" URL: without a sign-in of
    // ours under way, or with another sign-in's state, it signs nobody in.
    if (!pendingState)
        return { Kind::noSignIn, {}, {} };
    if (!url.isValid() || !url.hasQuery())
        return { Kind::invalid, {}, {} };
    SignInCallback callback { Kind::missingCode, {}, queryItems(url.query(QUrl::FullyEncoded)) };
    const QHash<QString, QString>& items = callback.items;
    if (items.contains(u"state"_s) && items.value(u"state"_s) != *pendingState) {
        callback.kind = Kind::otherSignIn;
    } else if (items.contains(u"error"_s)) {
        // Looked at before the code: a URL with both is a failure.
        callback.kind = Kind::error;
        callback.value = items.value(u"error"_s);
    } else if (items.contains(u"code"_s)) {
        callback.kind = Kind::code;
        callback.value = items.value(u"code"_s);
    }
    return callback;
}

QHash<QString, QString> SignInCallback::queryItems(const QString& query)
{
    QHash<QString, QString> table;
    for (const QString& item : query.split(u'&')) {
        const qsizetype equals = item.indexOf(u'=');
        if (equals < 0)
            continue;
        table.insert(QUrl::fromPercentEncoding(item.left(equals).toUtf8()),
            QUrl::fromPercentEncoding(item.mid(equals + 1).toUtf8()));
    }
    return table;
}

QString SignInCallback::printedItems() const
{
    QStringList printed;
    for (auto it = items.cbegin(); it != items.cend(); ++it)
        printed.append(u'"' + it.key() + "\": \""_L1 + it.value() + u'"');
    printed.sort();
    return u'[' + printed.join(", "_L1) + u']';
}
