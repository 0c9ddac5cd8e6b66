#include "XmlPrescreen.h"

namespace {

// Where the text that starts at `from` ends: just past `terminator`, or the end.
qsizetype skipPast(const QByteArray& xml, qsizetype from, const char* terminator)
{
    const qsizetype at = xml.indexOf(terminator, from);
    return at < 0 ? xml.size() : at + qsizetype(qstrlen(terminator));
}

// Just past the '>' that closes the markup starting at `from`, with quoted
// values skipped. `sawBracket` tells whether a '[' stood outside quotes, and
// `equalSigns` counts the '=' outside quotes (one per attribute).
qsizetype endOfMarkup(const QByteArray& xml, qsizetype from, bool& sawBracket, int& equalSigns)
{
    char quote = 0;
    for (qsizetype i = from; i < xml.size(); ++i) {
        const char c = xml.at(i);
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            sawBracket = true;
        } else if (c == '=') {
            ++equalSigns;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return xml.size();
}

} // namespace

QString XmlPrescreen::refusal(const QByteArray& xml)
{
    qsizetype i = 0;
    while ((i = xml.indexOf('<', i)) >= 0) {
        const QByteArrayView rest = QByteArrayView(xml).sliced(i);
        if (rest.startsWith("<!--")) {
            i = skipPast(xml, i + 4, "-->");
        } else if (rest.startsWith("<![CDATA[")) {
            i = skipPast(xml, i + 9, "]]>");
        } else if (rest.startsWith("<?")) {
            i = skipPast(xml, i + 2, "?>");
        } else {
            bool sawBracket = false;
            int attributes = 0;
            const qsizetype end = endOfMarkup(xml, i + 1, sawBracket, attributes);
            if (rest.startsWith("<!DOCTYPE") && sawBracket)
                return QStringLiteral("a document type with an internal subset is not allowed");
            if (attributes > maxAttributesPerTag)
                return QStringLiteral("too many attributes on one tag");
            i = end;
        }
    }
    return {};
}
