#include "WireBytes.h"

#include <charconv>

namespace {

bool isPlain(char16_t u) { return u >= 0x20 && u < 0x80 && u != '"' && u != '\\'; }

void appendUnicodeEscape(QByteArray& out, char16_t u)
{
    static constexpr char hex[] = "0123456789abcdef";
    const char escape[] = { '\\', 'u', hex[u >> 12], hex[(u >> 8) & 0xF], hex[(u >> 4) & 0xF], hex[u & 0xF] };
    out.append(escape, sizeof escape);
}

void appendAscii(QByteArray& out, char16_t u)
{
    switch (u) {
    case '"': out.append("\\\"", 2); break;
    case '\\': out.append("\\\\", 2); break;
    case '\b': out.append("\\b", 2); break;
    case '\f': out.append("\\f", 2); break;
    case '\n': out.append("\\n", 2); break;
    case '\r': out.append("\\r", 2); break;
    case '\t': out.append("\\t", 2); break;
    default:
        if (u < 0x20)
            appendUnicodeEscape(out, u);
        else
            out.append(char(u));
    }
}

// UTF-8 with the escapes QJsonDocument writes: quotes, backslashes and control
// characters escaped.
void appendEscaped(QByteArray& out, const char16_t* from, qsizetype length, bool escapeByteOrderMark)
{
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t u = from[i];
        if (u < 0x80) {
            appendAscii(out, u);
        } else if (u < 0x800) {
            out.append(char(0xC0 | (u >> 6)));
            out.append(char(0x80 | (u & 0x3F)));
        } else if (QChar::isSurrogate(u)) {
            if (QChar::isHighSurrogate(u) && i + 1 < length && QChar::isLowSurrogate(from[i + 1])) {
                const char32_t c = QChar::surrogateToUcs4(u, from[++i]);
                const char bytes[] = { char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)),
                                       char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F)) };
                out.append(bytes, sizeof bytes);
            } else {
                out.append('?');
            }
        } else if (u == 0xFEFF && escapeByteOrderMark) {
            appendUnicodeEscape(out, u);
        } else {
            const char bytes[] = { char(0xE0 | (u >> 12)), char(0x80 | ((u >> 6) & 0x3F)), char(0x80 | (u & 0x3F)) };
            out.append(bytes, sizeof bytes);
        }
    }
}

} // namespace

namespace WireBytes {

void appendText(QByteArray& out, const QString& text, bool escapeByteOrderMark)
{
    // Most texts are plain ASCII: written straight, a byte for each character.
    const qsizetype start = out.size();
    const qsizetype length = text.size();
    out.resize(start + length + 2);
    char* to = out.data() + start;
    const char16_t* from = reinterpret_cast<const char16_t*>(text.constData());
    *to++ = '"';
    for (qsizetype i = 0; i < length; ++i) {
        if (!isPlain(from[i])) {
            out.resize(start + 1 + i);
            appendEscaped(out, from + i, length - i, escapeByteOrderMark);
            out.append('"');
            return;
        }
        to[i] = char(from[i]);
    }
    to[length] = '"';
}

void appendNumber(QByteArray& out, qint64 value)
{
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, written.ptr - digits);
}

} // namespace WireBytes
