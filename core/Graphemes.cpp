#include "Graphemes.h"

#include <QTextBoundaryFinder>

QString firstGrapheme(const QString& text)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    const qsizetype end = graphemes.toNextBoundary();
    return end > 0 ? text.left(end) : QString();
}
