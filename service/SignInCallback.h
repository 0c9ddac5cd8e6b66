#pragma once

#include <QHash>
#include <QString>
#include <QUrl>

#include <optional>

// What a "lanto" URL says to the web sign-in, read without acting on it:
// AuthService::handleCallback acts on the reading.
struct SignInCallback
{
    enum class Kind {
        noSignIn,    // no sign-in is under way: the URL signs nobody in
        invalid,     // not a valid URL, or one without a query
        otherSignIn, // its state is not the pending sign-in's
        error,       // the page reports an error: `value` is its text
        code,        // the code to exchange: `value`
        missingCode, // neither an error nor a code
    };

    Kind kind = Kind::invalid;
    QString value;
    // The query items, name to value.
    QHash<QString, QString> items;

    // `pendingState` is the state of the sign-in the browser shows, if any.
    static SignInCallback read(const QUrl& url, const std::optional<QString>& pendingState);

    // A query, name to value: an item without "=" has no value and is left
    // out, "code=" has an empty one, the last of a name wins.
    static QHash<QString, QString> queryItems(const QString& query);
    // The items as the log shows them, sorted: ["code": "…", "state": "…"].
    QString printedItems() const;
};
