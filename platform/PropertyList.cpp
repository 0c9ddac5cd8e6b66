#include "PropertyList.h"

#include "BinaryPlist.h"
#include "RegularFile.h"
#include "XmlPlist.h"

#include <QSaveFile>
#include <QTimeZone>

#include <cmath>

namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
const QDateTime& referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return date;
}

bool sameReal(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

} // namespace

PlistDate PlistDate::fromDateTime(const QDateTime& dateTime)
{
    return PlistDate { double(referenceDate().msecsTo(dateTime)) / 1000.0 };
}

QDateTime PlistDate::toDateTime() const
{
    // QDateTime counts milliseconds in 64 bits; stay well inside that.
    const double milliseconds = std::round(secondsSinceReference * 1000.0);
    if (!(std::abs(milliseconds) < 9.0e18))
        return {};
    return referenceDate().addMSecs(qint64(milliseconds));
}

bool PlistDate::operator==(const PlistDate& other) const
{
    return sameReal(secondsSinceReference, other.secondsSinceReference);
}

std::optional<QDateTime> PlistValue::toDate() const
{
    if (const auto date = toPlistDate())
        return date->toDateTime();
    return std::nullopt;
}

std::optional<PlistValue::Array> PlistValue::toArray() const
{
    if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&m_value))
        return **array;
    return std::nullopt;
}

std::optional<PlistValue::Dictionary> PlistValue::toDictionary() const
{
    if (const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&m_value))
        return **dictionary;
    return std::nullopt;
}

const void* PlistValue::containerIdentity() const
{
    if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&m_value))
        return array->get();
    if (const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&m_value))
        return dictionary->get();
    return nullptr;
}

bool PlistValue::operator==(const PlistValue& other) const
{
    if (type() != other.type())
        return false;
    // Shared containers are equal without a walk.
    if (containerIdentity() != nullptr && containerIdentity() == other.containerIdentity())
        return true;
    switch (type()) {
    case Type::Real:
        return sameReal(*toReal(), *other.toReal());
    case Type::Array:
        return *toArray() == *other.toArray();
    case Type::Dictionary:
        return *toDictionary() == *other.toDictionary();
    default:
        return m_value == other.m_value;
    }
}

PropertyList::ParseResult PropertyList::decode(const QByteArray& bytes, const Limits& limits)
{
    if (bytes.isEmpty())
        return QStringLiteral("empty file");
    if (bytes.size() > maximumFileSize)
        return QStringLiteral("larger than %1 bytes").arg(maximumFileSize);
    if (bytes.startsWith(BinaryPlist::magic))
        return BinaryPlist::read(bytes, limits);
    return XmlPlist::read(bytes, limits);
}

std::optional<PlistValue> PropertyList::parse(const QByteArray& bytes)
{
    ParseResult result = decode(bytes);
    if (auto* value = std::get_if<PlistValue>(&result))
        return std::move(*value);
    return std::nullopt;
}

std::optional<PlistValue> PropertyList::readFile(const QString& path)
{
    const std::optional<QByteArray> bytes = RegularFile::readAll(path, maximumFileSize);
    return bytes ? parse(*bytes) : std::nullopt;
}

QByteArray PropertyList::serialize(const PlistValue& value, Format format)
{
    QByteArray binary = BinaryPlist::write(value);
    if (format == Format::Binary)
        return binary;
    // The binary form writes a shared value once, where XML repeats it, indents
    // it and escapes its text: a few KB could become hundreds of MB. XML is
    // written only while it stays within a fixed multiple of the binary form.
    const qint64 xmlBudget = qMin(maximumFileSize, xmlSizeFloor + xmlSizeFactor * qint64(binary.size()));
    if (auto xml = XmlPlist::write(value, xmlBudget))
        return std::move(*xml);
    return binary;
}

bool PropertyList::writeFile(const QString& path, const PlistValue& value, Format format)
{
    const QByteArray bytes = serialize(value, format);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}
