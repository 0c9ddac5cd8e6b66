#include "XmlPlist.h"

#include "XmlPlistDate.h"
#include "XmlPrescreen.h"

#include <QXmlStreamReader>

#include <cmath>
#include <limits>
#include <vector>

namespace {

const QString uidKey = QStringLiteral("CF$UID");

// An array or dictionary whose elements are being read.
struct Frame
{
    bool dictionary = false;
    PlistValue::Array items;
    PlistValue::Dictionary entries;
    std::optional<QString> key; // read, its value not yet
};

std::optional<qint64> integerFrom(QStringView text)
{
    text = text.trimmed();
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QStringView digits = negative || text.startsWith(QLatin1Char('+')) ? text.mid(1) : text;
    bool ok = false;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const quint64 magnitude = digits.mid(2).toULongLong(&ok, 16);
        const quint64 limit
            = negative ? quint64(std::numeric_limits<qint64>::max()) + 1 : quint64(std::numeric_limits<qint64>::max());
        if (!ok || magnitude > limit)
            return std::nullopt;
        return negative ? qint64(0 - magnitude) : qint64(magnitude);
    }
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<double> realFrom(QStringView text)
{
    text = text.trimmed();
    const QString lower = text.toString().toLower();
    if (lower == QLatin1String("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    for (const char* infinity : { "inf", "+inf", "infinity", "+infinity" }) {
        if (lower == QLatin1String(infinity))
            return std::numeric_limits<double>::infinity();
    }
    if (lower == QLatin1String("-inf") || lower == QLatin1String("-infinity"))
        return -std::numeric_limits<double>::infinity();
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<QByteArray> dataFrom(QStringView text)
{
    QByteArray encoded;
    encoded.reserve(text.size());
    for (QChar c : text) {
        if (!c.isSpace())
            encoded += char(c.unicode() > 0x7F ? '!' : c.unicode());
    }
    auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? std::optional<QByteArray>(std::move(*decoded)) : std::nullopt;
}

// Reads tokens in one loop with an explicit stack of open containers, so no
// document can exhaust the call stack.
class Reader
{
public:
    Reader(const QByteArray& bytes, const PropertyList::Limits& limits) : m_xml(bytes), m_limits(limits) { }

    PropertyList::ParseResult read()
    {
        while (m_error.isEmpty() && !m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::DTD:
                // Entities could make a small file expand without bound.
                if (!m_xml.entityDeclarations().isEmpty())
                    fail(QStringLiteral("entity declarations are not allowed"));
                break;
            case QXmlStreamReader::StartElement:
                startElement();
                break;
            case QXmlStreamReader::EndElement:
                endElement();
                break;
            case QXmlStreamReader::Characters:
                if (!m_xml.isWhitespace())
                    fail(QStringLiteral("text outside a value"));
                break;
            case QXmlStreamReader::EntityReference:
                fail(QStringLiteral("unknown entity"));
                break;
            default:
                break;
            }
        }
        if (m_error.isEmpty() && m_xml.hasError())
            fail(m_xml.errorString());
        if (m_error.isEmpty() && !m_result)
            fail(QStringLiteral("no property list value"));
        if (!m_error.isEmpty())
            return QStringLiteral("XML line %1: %2").arg(m_xml.lineNumber()).arg(m_error);
        return std::move(*m_result);
    }

private:
    void fail(const QString& error)
    {
        if (m_error.isEmpty())
            m_error = error;
    }

    void startElement()
    {
        // A copy: reading the element's text moves the reader past the name.
        const QString name = m_xml.name().toString();
        if (!m_inPlist) {
            if (name != QLatin1String("plist") || m_result)
                return fail(QStringLiteral("the root element is not <plist>"));
            m_inPlist = true;
            return;
        }
        if (++m_nodes > m_limits.nodes)
            return fail(QStringLiteral("more than %1 nodes").arg(m_limits.nodes));
        if (name == QLatin1String("key"))
            return readKey();
        if (!expectingValue())
            return;
        if (name == QLatin1String("array") || name == QLatin1String("dict")) {
            if (qint64(m_stack.size()) >= m_limits.depth)
                return fail(QStringLiteral("nested deeper than %1").arg(m_limits.depth));
            m_stack.push_back(Frame { name == QLatin1String("dict"), {}, {}, {} });
            return;
        }
        const QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError())
            return;
        if (auto value = leaf(name, text))
            deliver(std::move(*value));
        else if (m_error.isEmpty())
            fail(QStringLiteral("malformed <%1>").arg(name));
    }

    std::optional<PlistValue> leaf(QStringView name, const QString& text)
    {
        if (name == QLatin1String("string"))
            return PlistValue(text);
        if (name == QLatin1String("true") || name == QLatin1String("false")) {
            if (!text.isEmpty())
                return std::nullopt;
            return PlistValue(name == QLatin1String("true"));
        }
        if (name == QLatin1String("integer")) {
            const auto value = integerFrom(text);
            return value ? std::optional<PlistValue>(*value) : std::nullopt;
        }
        if (name == QLatin1String("real")) {
            const auto value = realFrom(text);
            return value ? std::optional<PlistValue>(*value) : std::nullopt;
        }
        if (name == QLatin1String("date")) {
            const auto seconds = XmlPlistDate::parse(text);
            return seconds ? std::optional<PlistValue>(PlistDate { *seconds }) : std::nullopt;
        }
        if (name == QLatin1String("data")) {
            const auto bytes = dataFrom(text);
            return bytes ? std::optional<PlistValue>(*bytes) : std::nullopt;
        }
        fail(QStringLiteral("unknown element <%1>").arg(name));
        return std::nullopt;
    }

    void readKey()
    {
        if (m_stack.empty() || !m_stack.back().dictionary || m_stack.back().key)
            return fail(QStringLiteral("<key> where a value belongs"));
        QString key = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_stack.back().entries.contains(key))
            return fail(QStringLiteral("repeated key \"%1\"").arg(key));
        m_stack.back().key = std::move(key);
    }

    bool expectingValue()
    {
        if (m_stack.empty() ? m_result.has_value() : m_stack.back().dictionary && !m_stack.back().key) {
            fail(m_stack.empty() ? QStringLiteral("more than one value in <plist>")
                                 : QStringLiteral("a value without a <key>"));
            return false;
        }
        return true;
    }

    void endElement()
    {
        const QStringView name = m_xml.name();
        if (name == QLatin1String("plist")) {
            m_inPlist = false;
            return;
        }
        if (name != QLatin1String("array") && name != QLatin1String("dict"))
            return;
        Frame frame = std::move(m_stack.back());
        m_stack.pop_back();
        if (frame.key)
            return fail(QStringLiteral("a <key> without a value"));
        deliver(frame.dictionary ? dictionaryValue(std::move(frame.entries)) : PlistValue(std::move(frame.items)));
    }

    // The one-key dictionary that stands for a UID, or the dictionary itself.
    static PlistValue dictionaryValue(PlistValue::Dictionary entries)
    {
        if (entries.size() == 1 && entries.contains(uidKey)) {
            if (const auto number = entries.value(uidKey).toInteger(); number && *number >= 0)
                return PlistUid { quint64(*number) };
        }
        return PlistValue(std::move(entries));
    }

    void deliver(PlistValue value)
    {
        if (m_stack.empty()) {
            m_result = std::move(value);
            return;
        }
        Frame& parent = m_stack.back();
        if (!parent.dictionary) {
            parent.items.append(std::move(value));
            return;
        }
        parent.entries.insert(*parent.key, std::move(value));
        parent.key.reset();
    }

    QXmlStreamReader m_xml;
    const PropertyList::Limits m_limits;
    bool m_inPlist = false;
    std::vector<Frame> m_stack;
    std::optional<PlistValue> m_result;
    qint64 m_nodes = 0;
    QString m_error;
};

} // namespace

PropertyList::ParseResult XmlPlist::read(const QByteArray& bytes, const PropertyList::Limits& limits)
{
    if (const QString refusal = XmlPrescreen::refusal(bytes); !refusal.isEmpty())
        return QStringLiteral("XML: %1").arg(refusal);
    return Reader(bytes, limits).read();
}
