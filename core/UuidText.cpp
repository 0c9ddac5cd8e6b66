#include "UuidText.h"

std::optional<QUuid> uuidFromText(QStringView text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool dashPlace = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hexDigit = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (dashPlace ? c != u'-' : !hexDigit)
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

QString uuidText(const QUuid& uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}
