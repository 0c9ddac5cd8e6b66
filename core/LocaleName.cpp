#include "LocaleName.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

namespace {

bool isLetters(QStringView part)
{
    return std::all_of(part.begin(), part.end(), [](QChar c) { return c.isLetter() && c.unicode() < 0x80; });
}

bool isDigits(QStringView part)
{
    return std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; });
}

QString& chosenIdentifier()
{
    static QString identifier;
    return identifier;
}

} // namespace

LocaleName LocaleName::fromText(QStringView text)
{
    // Codeset and modifier ("en_US.UTF-8", "sr_RS@latin") name neither script nor region.
    const qsizetype cut = text.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        text = text.first(cut);

    LocaleName name;
    const QList<QStringView> parts = text.split(QRegularExpression(QStringLiteral("[-_]")));
    if (parts.isEmpty() || parts.first().size() < 2 || parts.first().size() > 3 || !isLetters(parts.first()))
        return name;
    name.language = parts.first().toString().toLower();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QStringView part = parts.at(i);
        if (name.script.isEmpty() && name.region.isEmpty() && part.size() == 4 && isLetters(part)) {
            name.script = part.first(1).toString().toUpper() + part.sliced(1).toString().toLower();
        } else if (name.region.isEmpty()
            && ((part.size() == 2 && isLetters(part)) || (part.size() == 3 && isDigits(part)))) {
            name.region = part.toString().toUpper();
        }
    }
    return name;
}

LocaleName LocaleName::current()
{
    for (const char* variable : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return fromText(value);
    }
    return fromText(QLocale::system().name());
}

void LocaleName::choose(const QString& identifier) { chosenIdentifier() = identifier; }

LocaleName LocaleName::chosen()
{
    const QString& identifier = chosenIdentifier();
    return identifier.isEmpty() ? current() : fromText(identifier);
}
