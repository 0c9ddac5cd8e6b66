#include "Creator.h"

#include <QTextBoundaryFinder>

QUrl Creator::avatarImageUrl() const
{
    if (!avatarUrl)
        return {};
    const QUrl url(*avatarUrl, QUrl::StrictMode);
    return url.isValid() && !url.isRelative() ? url : QUrl();
}

QString Creator::initial() const
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    const qsizetype end = graphemes.toNextBoundary();
    return end > 0 ? name.left(end) : QString();
}
