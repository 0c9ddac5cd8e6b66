#include "HexID.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace {

constexpr qsizetype uuidDigits = 32;
constexpr int repeats = 5;

// Fixed namespace of the name-based UUIDs of texts that are not hex ids.
const QUuid hexIDNamespace(QStringLiteral("aba5695a-1fab-4dee-b530-52fb029f0eb8"));

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The leading hex digits that are graphemes of their own, up to 32; an empty
// text when a grapheme among them is anything else.
QString leadingHexDigits(const QString& text)
{
    // ASCII characters followed by ASCII are one grapheme each: the usual ids
    // need no boundary finder.
    const qsizetype leading = std::min(text.size(), uuidDigits);
    const auto isAscii = [](QChar c) { return c.unicode() < 0x80; };
    if (std::all_of(text.cbegin(), text.cbegin() + leading, isAscii)
        && (text.size() == leading || isAscii(text.at(leading)))) {
        const bool allHex = std::all_of(text.cbegin(), text.cbegin() + leading,
                                        [](QChar c) { return hexDigitValue(c) >= 0; });
        return allHex ? text.left(leading) : QString();
    }
    QString digits;
    digits.reserve(uuidDigits);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    qsizetype end = 0;
    while ((end = graphemes.toNextBoundary()) != -1 && digits.size() < uuidDigits) {
        if (end - start != 1 || hexDigitValue(text.at(start)) < 0)
            return {};
        digits.append(text.at(start));
        start = end;
    }
    return digits;
}

// The first 32 characters of the text repeated five times, when they are all
// hex digits; an empty text otherwise. Characters are user-perceived ones, so
// a digit carrying a combining mark does not count as a digit.
QString repeatedHexDigits(const QString& text)
{
    QString digits = leadingHexDigits(text);
    if (digits.isEmpty() || digits.size() * repeats < uuidDigits)
        return {};
    digits.reserve(uuidDigits);
    for (qsizetype i = 0; digits.size() < uuidDigits; ++i)
        digits.append(digits.at(i));
    return digits;
}

// The usual ids (ASCII hex, at least the seven digits that fill 32 when
// repeated) read straight into the UUID's bytes, without the texts the
// general rule builds; nothing for anything else.
std::optional<QUuid> plainHexUuid(const QString& hexID)
{
    const qsizetype leading = std::min(hexID.size(), uuidDigits);
    if (leading * repeats < uuidDigits)
        return std::nullopt;
    // The character after the digits read must not join the last of them into one grapheme.
    if (hexID.size() > leading && hexID.at(leading).unicode() >= 0x80)
        return std::nullopt;
    std::array<uchar, uuidDigits / 2> bytes{};
    for (qsizetype i = 0; i < uuidDigits; ++i) {
        const int digit = hexDigitValue(hexID.at(i % leading));
        if (digit < 0)
            return std::nullopt;
        bytes[size_t(i / 2)] = uchar(bytes[size_t(i / 2)] << 4 | digit);
    }
    return QUuid::fromRfc4122(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

} // namespace

QUuid uuidFromHexID(const QString& hexID)
{
    if (const std::optional<QUuid> plain = plainHexUuid(hexID))
        return *plain;
    const QString digits = repeatedHexDigits(hexID);
    if (digits.isEmpty())
        return QUuid::createUuidV5(hexIDNamespace, hexID);
    const QString text = digits.mid(0, 8) + u'-' + digits.mid(8, 4) + u'-' + digits.mid(12, 4) + u'-'
        + digits.mid(16, 4) + u'-' + digits.mid(20, 12);
    return QUuid::fromString(text);
}

QColor colorFromHex(const QString& hex)
{
    qsizetype begin = 0;
    qsizetype end = hex.size();
    while (begin < end && hex.at(begin) == u'#')
        ++begin;
    while (end > begin && hex.at(end - 1) == u'#')
        --end;

    // Read like a number scanner: leading white space is skipped and a "0x"
    // prefix is allowed. A number past 64 bits saturates at the largest value,
    // as the scanner does.
    while (begin < end && hex.at(begin).isSpace())
        ++begin;
    if (end - begin > 2 && hex.at(begin) == u'0' && (hex.at(begin + 1) == u'x' || hex.at(begin + 1) == u'X')
        && hexDigitValue(hex.at(begin + 2)) >= 0)
        begin += 2;
    quint64 value = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const int digit = hexDigitValue(hex.at(i));
        if (digit < 0)
            break;
        value = value >> 60 ? std::numeric_limits<quint64>::max() : (value << 4) | quint64(digit);
    }
    return QColor(int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF));
}
