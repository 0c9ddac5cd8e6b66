#include "HTTPRequest.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// HTTP's blanks are spaces and tabs only.
bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QStringView trimmedBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Decimal digits with an optional plus sign, fitting a signed 64-bit value.
std::optional<qint64> parseBytePosition(QStringView text)
{
    if (text.startsWith(QLatin1Char('+')))
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        const int digit = c.unicode() - '0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<HTTPRequest::Range> parseRangeValue(const QString& value)
{
    const QString rangeText = trimmedBlanks(value).toString().toLower();
    const QLatin1String unit("bytes=");
    if (!rangeText.startsWith(unit))
        return std::nullopt;
    // Of a list of ranges only the first is served, as the header gives it.
    const QStringView first = QStringView(rangeText).sliced(unit.size()).split(QLatin1Char(',')).first();
    const QList<QStringView> pieces = first.split(QLatin1Char('-'));
    const std::optional<qint64> start = parseBytePosition(trimmedBlanks(pieces.first()));
    if (!start)
        return std::nullopt;
    HTTPRequest::Range range { *start, std::nullopt };
    if (pieces.size() > 1)
        range.end = parseBytePosition(trimmedBlanks(pieces[1]));
    return range;
}

} // namespace

std::optional<HTTPRequest> parseRequest(const QString& header)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    const QStringList lines = header.split(lineBreak, Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return std::nullopt;

    const QStringList words = lines.first().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return std::nullopt;
    HTTPRequest request;
    request.method = words[0].toUpper();
    request.path = words[1].startsWith(QLatin1Char('/')) ? words[1].sliced(1) : words[1];
    if (request.path.contains(QLatin1String("..")))
        return std::nullopt;

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringView line = trimmedBlanks(lines[i]);
        if (!line.startsWith(QLatin1String("range:"), Qt::CaseInsensitive))
            continue;
        request.range = parseRangeValue(lines[i].section(QLatin1Char(':'), 1));
        break;
    }
    return request;
}
