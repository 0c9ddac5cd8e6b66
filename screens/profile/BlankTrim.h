#pragma once

#include <QString>

// The text without spaces and tabs at either end; line breaks stay, as the search and name fields expect.
inline QString trimmedOfBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (first < last && blank(text.at(first)))
        ++first;
    while (last > first && blank(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}
