#include "Creator.h"

#include "Graphemes.h"

QUrl Creator::avatarImageUrl() const
{
    if (!avatarUrl)
        return {};
    const QUrl url(*avatarUrl, QUrl::StrictMode);
    return url.isValid() && !url.isRelative() ? url : QUrl();
}

QString Creator::initial() const
{
    return firstGrapheme(name);
}
