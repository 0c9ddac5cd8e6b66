#include "SearchQuery.h"

namespace {

// Spaces of every width and tabs; not line breaks.
bool isSpaceOrTab(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

// Decomposed, without the combining marks, case-folded: "É" and "e" read alike.
QString folded(const QString& text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString result;
    result.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            result.append(c);
    }
    return result.toCaseFolded();
}

} // namespace

namespace SearchQuery {

QString trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text.at(begin)))
        ++begin;
    while (end > begin && isSpaceOrTab(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool containsLoosely(const QString& text, const QString& query)
{
    return folded(text).contains(folded(query));
}

} // namespace SearchQuery
