#include "XmlPlist.h"

#include "XmlPlistDate.h"

#include <QXmlStreamWriter>

#include <cmath>
#include <limits>
#include <optional>

namespace {

// The bytes the text takes as escaped UTF-8 character data, or nothing when
// XML 1.0 cannot carry it: it carries tab, line feed, carriage return and
// everything from U+0020 except U+FFFE, U+FFFF and unpaired surrogates.
std::optional<qint64> escapedSize(const QString& text)
{
    qint64 bytes = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n' && c != u'\r')
                return std::nullopt;
            bytes += c == u'\r' ? 5 : 1; // "&#13;"
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 == size || !QChar::isLowSurrogate(text[i + 1].unicode()))
                return std::nullopt;
            ++i;
            bytes += 4;
        } else if (QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            return std::nullopt;
        } else if (c < 0x80) {
            bytes += c == u'<' || c == u'>' ? 4 : c == u'&' ? 5 : c == u'"' ? 6 : 1;
        } else {
            bytes += c < 0x800 ? 2 : 3;
        }
    }
    return bytes;
}

QString realText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("+infinity") : QStringLiteral("-infinity");
    // The shortest form drops the sign of a zero; the value read back must be the same double.
    if (value == 0 && std::signbit(value))
        return QStringLiteral("-0");
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// Writes one value, giving up once the document would be refused by the
// reader (too many nodes, too deep) or outgrow maxBytes.
class Writer
{
public:
    Writer(QByteArray& out, qint64 maxBytes) : m_out(out), m_maxBytes(maxBytes), m_xml(&out)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(-1); // one tab per level
    }

    bool write(const PlistValue& value)
    {
        m_xml.writeStartDocument();
        m_xml.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
        m_xml.writeStartElement(QStringLiteral("plist"));
        m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        writeValue(value, 0);
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        return m_ok && !m_xml.hasError();
    }

private:
    // Readers turn a raw carriage return into a line feed, so each is written as a reference.
    void writeText(const QString& element, const QString& text)
    {
        const std::optional<qint64> bytes = escapedSize(text);
        m_ok = m_ok && bytes && fitsBudget(*bytes);
        if (!m_ok)
            return;
        countNode();
        m_xml.writeStartElement(element);
        qsizetype start = 0;
        for (qsizetype end; (end = text.indexOf(QLatin1Char('\r'), start)) >= 0; start = end + 1) {
            m_xml.writeCharacters(text.mid(start, end - start));
            m_xml.writeEntityReference(QStringLiteral("#13"));
        }
        m_xml.writeCharacters(text.mid(start));
        m_xml.writeEndElement();
    }

    // Whether bytes more still leave the document within its size.
    bool fitsBudget(qint64 bytes) const { return m_out.size() + bytes <= m_maxBytes; }

    // The reader counts every element inside <plist>, keys included.
    void countNode(qint64 count = 1)
    {
        m_nodes += count;
        m_ok = m_ok && m_nodes <= PropertyList::maximumNodes;
    }

    // Opens a container at depth (the containers around it), as the reader
    // would refuse one opened maximumDepth deep.
    void startContainer(const QString& element, int depth)
    {
        countNode();
        m_ok = m_ok && depth < PropertyList::maximumDepth;
        m_xml.writeStartElement(element);
    }

    // An element holding text that needs no escaping beyond the writer's own.
    void writeLeaf(const QString& element, const QString& text)
    {
        countNode();
        m_xml.writeTextElement(element, text);
    }

    void writeValue(const PlistValue& value, int depth)
    {
        // Indentation and escaping make XML grow with depth and content where
        // the binary form shares: the size is checked as it grows.
        m_ok = m_ok && fitsBudget(0);
        if (!m_ok)
            return;
        switch (value.type()) {
        case PlistValue::Type::Boolean:
            countNode();
            m_xml.writeEmptyElement(*value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
            return;
        case PlistValue::Type::Integer:
            writeLeaf(QStringLiteral("integer"), QString::number(*value.toInteger()));
            return;
        case PlistValue::Type::Real:
            writeLeaf(QStringLiteral("real"), realText(*value.toReal()));
            return;
        case PlistValue::Type::String:
            writeText(QStringLiteral("string"), *value.toString());
            return;
        case PlistValue::Type::Data: {
            const QByteArray bytes = *value.toData();
            m_ok = fitsBudget((bytes.size() + 2) / 3 * 4);
            if (m_ok)
                writeLeaf(QStringLiteral("data"), QString::fromLatin1(bytes.toBase64()));
            return;
        }
        case PlistValue::Type::Date: {
            const auto text = XmlPlistDate::format(value.toPlistDate()->secondsSinceReference);
            m_ok = m_ok && text.has_value();
            writeLeaf(QStringLiteral("date"), text.value_or(QString()));
            return;
        }
        case PlistValue::Type::Uid:
            // The one-key dictionary that readers turn back into a UID; its integer is signed.
            m_ok = m_ok && value.toUid()->value <= quint64(std::numeric_limits<qint64>::max());
            startContainer(QStringLiteral("dict"), depth);
            writeLeaf(QStringLiteral("key"), QStringLiteral("CF$UID"));
            writeLeaf(QStringLiteral("integer"), QString::number(value.toUid()->value));
            m_xml.writeEndElement();
            return;
        case PlistValue::Type::Array: {
            startContainer(QStringLiteral("array"), depth);
            const PlistValue::Array items = *value.toArray();
            for (qsizetype i = 0; i < items.size() && m_ok; ++i)
                writeValue(items[i], depth + 1);
            m_xml.writeEndElement();
            return;
        }
        case PlistValue::Type::Dictionary: {
            startContainer(QStringLiteral("dict"), depth);
            const PlistValue::Dictionary entries = *value.toDictionary();
            for (auto it = entries.cbegin(); it != entries.cend() && m_ok; ++it) {
                writeText(QStringLiteral("key"), it.key());
                writeValue(it.value(), depth + 1);
            }
            m_xml.writeEndElement();
            return;
        }
        }
    }

    QByteArray& m_out;
    const qint64 m_maxBytes;
    QXmlStreamWriter m_xml;
    qint64 m_nodes = 0;
    bool m_ok = true;
};

} // namespace

std::optional<QByteArray> XmlPlist::write(const PlistValue& value, qint64 maxBytes)
{
    QByteArray out;
    if (!Writer(out, maxBytes).write(value) || out.size() > maxBytes)
        return std::nullopt;
    out += '\n';
    return out;
}
