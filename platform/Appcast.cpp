#include "Appcast.h"

#include "NumericVersion.h"
#include "XmlPrescreen.h"

#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

const QString itemElement = u"item"_s;
const QString shortVersionElement = u"sparkle:shortVersionString"_s;
const QString versionElement = u"sparkle:version"_s;

// Reads the current item up to its end tag; the first of each version element counts.
std::optional<Appcast::Item> readItem(QXmlStreamReader& reader)
{
    std::optional<QString> shortVersion;
    QString version;
    bool usable = true;
    int depth = 1;
    while (depth > 0 && !reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = reader.qualifiedName();
        const bool isShort = name == shortVersionElement;
        if (!isShort && name != versionElement) {
            ++depth;
            continue;
        }
        // Reads up to the element's end tag, so the depth stays.
        const QString text = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        if (text.size() > Appcast::maxVersionLength)
            usable = false;
        if (isShort && !shortVersion)
            shortVersion = text;
        else if (!isShort && version.isEmpty())
            version = text;
    }
    if (!usable || !shortVersion || shortVersion->isEmpty())
        return std::nullopt;
    return Appcast::Item { *shortVersion, version };
}

} // namespace

std::optional<QList<Appcast::Item>> Appcast::read(const QByteArray& feed)
{
    if (feed.size() > maxFeedBytes || !XmlPrescreen::refusal(feed).isEmpty())
        return std::nullopt;
    QXmlStreamReader reader(feed);
    // Feeds use the prefix without always declaring it; the name is matched as written.
    reader.setNamespaceProcessing(false);
    QList<Item> items;
    qsizetype itemCount = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.qualifiedName() != itemElement)
            continue;
        if (++itemCount > maxItems)
            return std::nullopt;
        if (std::optional<Item> item = readItem(reader))
            items.append(*item);
    }
    if (reader.hasError())
        return std::nullopt;
    return items;
}

std::optional<Appcast::Item> Appcast::newest(const QList<Item>& items)
{
    std::optional<Item> best;
    for (const Item& item : items) {
        const int order = best ? NumericVersion::compare(item.shortVersion, best->shortVersion) : 1;
        if (order > 0 || (order == 0 && NumericVersion::isGreater(item.version, best->version)))
            best = item;
    }
    return best;
}

bool Appcast::isNewer(const Item& item, const QString& runningShortVersion, const QString& runningVersion)
{
    const int order = NumericVersion::compare(item.shortVersion, runningShortVersion);
    return order > 0 || (order == 0 && NumericVersion::isGreater(item.version, runningVersion));
}
