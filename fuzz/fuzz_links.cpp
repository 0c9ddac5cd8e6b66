#include "FuzzSupport.h"
#include "LantoLinks.h"
#include "SignInCallback.h"

#include <QUrlQuery>

namespace {

using namespace Qt::Literals::StringLiterals;
using Kind = SignInCallback::Kind;

const QString pendingState = u"4F1C2A7E-0B5D-4E8A-9C3F-7A6B5D4C3B2A"_s;

// A callback the service's page could send with the value read: it must read back the same.
void checkWrittenBack(const SignInCallback& callback)
{
    // As the service's callback page writes it.
    QUrlQuery query;
    query.addQueryItem(callback.kind == Kind::error ? u"error"_s : u"code"_s,
        QString::fromUtf8(QUrl::toPercentEncoding(callback.value)));
    query.addQueryItem(u"state"_s, pendingState);
    QUrl written(u"lanto://auth"_s);
    written.setQuery(query);
    const SignInCallback again = SignInCallback::read(written, pendingState);
    FuzzSupport::check(again.kind == callback.kind && again.value == callback.value, "a callback written back");
}

// One URL as the account service reads it, with and without a sign-in under way.
void checkCallback(const QUrl& url)
{
    using FuzzSupport::check;
    check(SignInCallback::read(url, std::nullopt).kind == Kind::noSignIn, "nobody signs in without a sign-in");
    const SignInCallback callback = SignInCallback::read(url, pendingState);
    const QHash<QString, QString>& items = callback.items;
    switch (callback.kind) {
    case Kind::noSignIn: check(false, "a pending sign-in is seen"); break;
    case Kind::invalid: check(!url.isValid() || !url.hasQuery(), "only an invalid URL is invalid"); break;
    case Kind::otherSignIn: check(items.value(u"state"_s, pendingState) != pendingState, "another state"); break;
    case Kind::error: check(items.value(u"error"_s) == callback.value, "the error's text"); break;
    case Kind::code:
        check(!items.contains(u"error"_s) && items.value(u"code"_s) == callback.value, "the code");
        break;
    case Kind::missingCode:
        check(!items.contains(u"error"_s) && !items.contains(u"code"_s), "no code");
        callback.printedItems();
        break;
    }
    if (callback.kind == Kind::error || callback.kind == Kind::code)
        checkWrittenBack(callback);
}

} // namespace

// Any text as a "lanto" link: handed over by another launch, or given as a
// launch argument; each URL routed to the account service is read as its
// sign-in callback.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using FuzzSupport::check;
    const QString text = QString::fromUtf8(FuzzSupport::bytes(data, size));
    QList<QUrl> urls = LantoLinks::fromArguments({ u"Lanto"_s, text });
    check(urls.size() == (text.startsWith(u'-') ? 0 : 1), "one argument, one URL");
    if (const std::optional<QUrl> handed = LantoLinks::fromHandedText(text)) {
        check(!text.isEmpty() && handed->isValid(), "only a valid URL is handed on");
        urls.append(*handed);
    }
    for (const QUrl& url : std::as_const(urls)) {
        if (!LantoLinks::isRouted(url))
            continue;
        check(url.scheme() == LantoLinks::scheme, "only lanto URLs are routed");
        // As the routes log it.
        url.toString(QUrl::FullyEncoded);
        checkCallback(url);
    }
    return 0;
}
