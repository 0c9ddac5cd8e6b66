#include "JsonFields.h"

namespace JsonFields {

bool read(const QJsonValue& value, QString& out)
{
    if (!value.isString())
        return false;
    out = value.toString();
    // An escaped surrogate without its pair is no character: refused, as the simdjson reader refuses it.
    return QStringView(out).isValidUtf16();
}

bool read(const QJsonValue& value, qint64& out)
{
    if (!value.isDouble())
        return false;
    // toInteger() is exact for numbers held as integers and for integral
    // doubles in range; anything else comes back as 0 and no longer matches.
    const qint64 integer = value.toInteger();
    if (double(integer) != value.toDouble())
        return false;
    out = integer;
    return true;
}

bool read(const QJsonValue& value, bool& out)
{
    if (!value.isBool())
        return false;
    out = value.toBool();
    return true;
}

QJsonValue write(const QString& value)
{
    return value;
}

QJsonValue write(qint64 value)
{
    return value;
}

QJsonValue write(bool value)
{
    return value;
}

} // namespace JsonFields
