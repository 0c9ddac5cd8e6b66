#include "AvatarStyle.h"

#include "Graphemes.h"
#include "HexID.h"
#include "SystemColor.h"

#include <array>
#include <utility>

namespace {

const QString defaultName = QStringLiteral("Lanto User");

QStringList words(const QString& text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

} // namespace

QColor AvatarStyle::placeholderColor(const QString& avatarColor)
{
    static const std::array<std::pair<QLatin1StringView, SystemColor>, 12> names { {
        { QLatin1StringView("red"), SystemColor::red },
        { QLatin1StringView("orange"), SystemColor::orange },
        { QLatin1StringView("yellow"), SystemColor::yellow },
        { QLatin1StringView("green"), SystemColor::green },
        { QLatin1StringView("mint"), SystemColor::mint },
        { QLatin1StringView("teal"), SystemColor::teal },
        { QLatin1StringView("cyan"), SystemColor::cyan },
        { QLatin1StringView("blue"), SystemColor::blue },
        { QLatin1StringView("indigo"), SystemColor::indigo },
        { QLatin1StringView("purple"), SystemColor::purple },
        { QLatin1StringView("pink"), SystemColor::pink },
        { QLatin1StringView("brown"), SystemColor::brown },
    } };
    const QString lowered = avatarColor.toLower();
    for (const auto& [name, color] : names) {
        if (lowered == name)
            return systemColor(color);
    }
    if (lowered.startsWith(u'#'))
        return colorFromHex(lowered);
    return systemColor(SystemColor::purple);
}

QString AvatarStyle::editorInitials(const QString& name)
{
    const QStringList pieces = words(name);
    if (pieces.isEmpty())
        return QStringLiteral("?");
    QString initials = firstGrapheme(pieces.first());
    if (pieces.size() >= 2)
        initials += firstGrapheme(pieces.last());
    return initials.toUpper();
}

QString AvatarStyle::profileInitials(const QString& displayName)
{
    const QString text = displayName.isEmpty() ? firstGrapheme(defaultName) : displayName;
    const QStringList pieces = words(text);
    if (pieces.size() >= 2)
        return (firstGrapheme(pieces.at(0)) + firstGrapheme(pieces.at(1))).toUpper();
    return pieces.isEmpty() ? QString() : firstGrapheme(pieces.first()).toUpper();
}

QString AvatarStyle::profileName(const QString& displayName)
{
    return displayName.isEmpty() ? defaultName : displayName;
}
