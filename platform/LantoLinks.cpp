#include "LantoLinks.h"

namespace LantoLinks {

bool isRouted(const QUrl& url) { return url.scheme() == scheme; }

std::optional<QUrl> fromHandedText(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

QList<QUrl> fromArguments(const QStringList& arguments)
{
    QList<QUrl> urls;
    for (const QString& argument : arguments.mid(1)) {
        if (!argument.startsWith(u'-'))
            urls.append(QUrl(argument, QUrl::StrictMode));
    }
    return urls;
}

} // namespace LantoLinks
