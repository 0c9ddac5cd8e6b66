#include "ServiceOverrides.h"

#include "Log.h"

#include <QHostAddress>

using namespace Qt::Literals::StringLiterals;

namespace ServiceOverrides {

bool isAcceptable(const QUrl& url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    if (url.scheme() == "https"_L1)
        return true;
    if (url.scheme() != "http"_L1)
        return false;
    if (url.host().compare("localhost"_L1, Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(url.host());
    return !address.isNull() && address.isLoopback();
}

std::optional<QUrl> fromEnvironment(const char* variable)
{
    const QString text = qEnvironmentVariable(variable);
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (!isAcceptable(url)) {
        Log::write(u"Lanto: Ignoring "_s + QString::fromLatin1(variable)
            + u" — https, or plain http on a loopback address only: "_s + text);
        return std::nullopt;
    }
    return url;
}

} // namespace ServiceOverrides
