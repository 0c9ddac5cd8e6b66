#include "HTTPRequest.h"

#include <QStringDecoder>

#include <algorithm>
#include <utility>

namespace {

// HTTP's blanks are spaces and tabs only.
bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimmedBlanks(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// ASCII letters in either case.
bool startsWithIgnoringCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

// Decimal digits with an optional plus sign, fitting a signed 64-bit value.
std::optional<qint64> parseBytePosition(QByteArrayView text)
{
    if (text.startsWith('+'))
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// The text up to the first separator, and what follows it (nothing when there is none).
std::pair<QByteArrayView, QByteArrayView> splitAt(QByteArrayView text, char separator)
{
    const qsizetype at = text.indexOf(separator);
    return at < 0 ? std::pair { text, QByteArrayView() } : std::pair { text.first(at), text.sliced(at + 1) };
}

std::optional<HTTPRequest::Range> parseRangeValue(QByteArrayView value)
{
    value = trimmedBlanks(value);
    const QByteArrayView unit("bytes=");
    if (!startsWithIgnoringCase(value, unit))
        return std::nullopt;
    // Of a list of ranges only the first is served, as the header gives it.
    const QByteArrayView first = splitAt(value.sliced(unit.size()), ',').first;
    const auto [startText, rest] = splitAt(first, '-');
    const std::optional<qint64> start = parseBytePosition(trimmedBlanks(startText));
    if (!start)
        return std::nullopt;
    HTTPRequest::Range range { *start, std::nullopt };
    if (first.contains('-'))
        range.end = parseBytePosition(trimmedBlanks(splitAt(rest, '-').first));
    return range;
}

bool isValidUtf8(QByteArrayView bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded = decoder(bytes);
    return !decoder.hasError();
}

// Calls line for each non-empty line of text, lines ending at CR or LF, until it answers false.
template<typename Function>
void forEachLine(QByteArrayView text, Function line)
{
    qsizetype begin = 0;
    while (begin < text.size()) {
        qsizetype end = begin;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (end > begin && !line(text.sliced(begin, end - begin)))
            return;
        begin = end + 1;
    }
}

// The first two words of a request line, words parted by spaces.
std::optional<std::pair<QByteArrayView, QByteArrayView>> firstTwoWords(QByteArrayView line)
{
    QByteArrayView words[2];
    int found = 0;
    qsizetype begin = 0;
    while (found < 2 && begin < line.size()) {
        const qsizetype space = line.indexOf(' ', begin);
        const qsizetype end = space < 0 ? line.size() : space;
        if (end > begin)
            words[found++] = line.sliced(begin, end - begin);
        begin = end + 1;
    }
    if (found < 2)
        return std::nullopt;
    return std::pair { words[0], words[1] };
}

} // namespace

std::optional<HTTPRequest> parseRequest(QByteArrayView header)
{
    if (!isValidUtf8(header))
        return std::nullopt;
    std::optional<HTTPRequest> request;
    bool requestLine = true;
    forEachLine(header, [&](QByteArrayView line) {
        if (std::exchange(requestLine, false)) {
            const auto words = firstTwoWords(line);
            if (!words)
                return false;
            const QByteArrayView target = words->second;
            if (target.contains(".."))
                return false;
            request.emplace();
            request->method = QString::fromUtf8(words->first).toUpper();
            request->path = QString::fromUtf8(target.startsWith('/') ? target.sliced(1) : target);
            return true;
        }
        const QByteArrayView name("range:");
        const QByteArrayView field = trimmedBlanks(line);
        if (!startsWithIgnoringCase(field, name))
            return true;
        request->range = parseRangeValue(splitAt(line, ':').second);
        return false;
    });
    return request;
}
