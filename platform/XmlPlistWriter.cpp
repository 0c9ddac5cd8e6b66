#include "XmlPlist.h"

#include "XmlPlistDate.h"

#include <QXmlStreamWriter>

#include <cmath>
#include <limits>

namespace {

// XML 1.0 carries tab, line feed, carriage return and everything from U+0020
// except U+FFFE, U+FFFF and unpaired surrogates.
bool fitsXml(const QString& text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n' && c != u'\r')
                return false;
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 == size || !QChar::isLowSurrogate(text[i + 1].unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        }
    }
    return true;
}

QString realText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("+infinity") : QStringLiteral("-infinity");
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

class Writer
{
public:
    explicit Writer(QByteArray& out) : m_xml(&out)
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
        writeValue(value);
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        return m_ok && !m_xml.hasError();
    }

private:
    // Readers turn a raw carriage return into a line feed, so each is written as a reference.
    void writeText(const QString& element, const QString& text)
    {
        if (!fitsXml(text))
            m_ok = false;
        m_xml.writeStartElement(element);
        qsizetype start = 0;
        for (qsizetype end; (end = text.indexOf(QLatin1Char('\r'), start)) >= 0; start = end + 1) {
            m_xml.writeCharacters(text.mid(start, end - start));
            m_xml.writeEntityReference(QStringLiteral("#13"));
        }
        m_xml.writeCharacters(text.mid(start));
        m_xml.writeEndElement();
    }

    void writeValue(const PlistValue& value)
    {
        if (!m_ok)
            return;
        switch (value.type()) {
        case PlistValue::Type::Boolean:
            m_xml.writeEmptyElement(*value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
            return;
        case PlistValue::Type::Integer:
            m_xml.writeTextElement(QStringLiteral("integer"), QString::number(*value.toInteger()));
            return;
        case PlistValue::Type::Real:
            m_xml.writeTextElement(QStringLiteral("real"), realText(*value.toReal()));
            return;
        case PlistValue::Type::String:
            writeText(QStringLiteral("string"), *value.toString());
            return;
        case PlistValue::Type::Data:
            m_xml.writeTextElement(QStringLiteral("data"), QString::fromLatin1(value.toData()->toBase64()));
            return;
        case PlistValue::Type::Date: {
            const auto text = XmlPlistDate::format(value.toPlistDate()->secondsSinceReference);
            m_ok = m_ok && text.has_value();
            m_xml.writeTextElement(QStringLiteral("date"), text.value_or(QString()));
            return;
        }
        case PlistValue::Type::Uid:
            // The one-key dictionary that readers turn back into a UID; its integer is signed.
            m_ok = m_ok && value.toUid()->value <= quint64(std::numeric_limits<qint64>::max());
            m_xml.writeStartElement(QStringLiteral("dict"));
            m_xml.writeTextElement(QStringLiteral("key"), QStringLiteral("CF$UID"));
            m_xml.writeTextElement(QStringLiteral("integer"), QString::number(value.toUid()->value));
            m_xml.writeEndElement();
            return;
        case PlistValue::Type::Array: {
            m_xml.writeStartElement(QStringLiteral("array"));
            const PlistValue::Array items = *value.toArray();
            for (const PlistValue& item : items)
                writeValue(item);
            m_xml.writeEndElement();
            return;
        }
        case PlistValue::Type::Dictionary: {
            m_xml.writeStartElement(QStringLiteral("dict"));
            const PlistValue::Dictionary entries = *value.toDictionary();
            for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
                writeText(QStringLiteral("key"), it.key());
                writeValue(it.value());
            }
            m_xml.writeEndElement();
            return;
        }
        }
    }

    QXmlStreamWriter m_xml;
    bool m_ok = true;
};

} // namespace

std::optional<QByteArray> XmlPlist::write(const PlistValue& value)
{
    QByteArray out;
    if (!Writer(out).write(value))
        return std::nullopt;
    out += '\n';
    return out;
}
