#include "HandleRules.h"

#include <QStringList>
#include <QTextBoundaryFinder>

namespace {

// The text cut into user-perceived characters.
QStringList characters(const QString& text)
{
    QStringList pieces;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        pieces.append(text.mid(start, end - start));
        start = end;
    }
    return pieces;
}

bool isASCIILetter(const QString& character)
{
    return character.size() == 1 && character.front() >= u'a' && character.front() <= u'z';
}

// Any numeric character counts, judged by its first scalar: digits of every script, fractions, Roman numerals.
bool isNumber(const QString& character)
{
    return QChar::isNumber(QStringView(character).toUcs4().value(0));
}

bool isKept(const QString& character)
{
    return isASCIILetter(character) || character == u"_" || isNumber(character);
}

} // namespace

namespace HandleRules {

QString sanitized(const QString& input)
{
    QString clean;
    int kept = 0;
    for (const QString& character : characters(input.toLower())) {
        if (kept == maximumLength)
            break;
        if (isKept(character)) {
            clean += character;
            ++kept;
        }
    }
    return clean;
}

std::optional<QString> localViolation(const QString& handle)
{
    if (handle.isEmpty())
        return std::nullopt;
    if (!startsWithLetter(handle))
        return QStringLiteral("Must start with a letter");
    if (characterCount(handle) < minimumLength)
        return QStringLiteral("Must be at least 3 characters");
    return std::nullopt;
}

int characterCount(const QString& text)
{
    return int(characters(text).size());
}

bool startsWithLetter(const QString& handle)
{
    const QStringList all = characters(handle);
    return !all.isEmpty() && isASCIILetter(all.front());
}

} // namespace HandleRules
