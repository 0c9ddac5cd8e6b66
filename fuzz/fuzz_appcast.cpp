// Any bytes as the update feed, and the version texts found in it and in the
// bytes' lines as what the version rule compares.
#include "Appcast.h"
#include "FuzzSupport.h"
#include "NumericVersion.h"

#include <QXmlStreamWriter>

namespace {

using FuzzSupport::check;

int sign(int value) { return (value > 0) - (value < 0); }

// The rule is a total order: a text equals itself, swapping the texts swaps
// the answer, and order and equality carry over from a to b to c.
void checkOrder(const QStringList& texts)
{
    for (const QString& a : texts) {
        check(NumericVersion::compare(a, a) == 0, "a version equals itself");
        for (const QString& b : texts) {
            const int ab = sign(NumericVersion::compare(a, b));
            check(ab == -sign(NumericVersion::compare(b, a)), "antisymmetric");
            for (const QString& c : texts) {
                const int bc = sign(NumericVersion::compare(b, c));
                const int ac = sign(NumericVersion::compare(a, c));
                if (ab == 0)
                    check(ac == bc, "equal versions compare alike");
                else if (ab == bc)
                    check(ac == ab, "transitive");
            }
        }
    }
}

// The items as a feed of the shape real feeds have.
QByteArray feedOf(const QList<Appcast::Item>& items)
{
    QByteArray feed;
    QXmlStreamWriter writer(&feed);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("rss"));
    writer.writeStartElement(QStringLiteral("channel"));
    for (const Appcast::Item& item : items) {
        writer.writeStartElement(QStringLiteral("item"));
        writer.writeTextElement(QStringLiteral("sparkle:shortVersionString"), item.shortVersion);
        if (!item.version.isEmpty())
            writer.writeTextElement(QStringLiteral("sparkle:version"), item.version);
        writer.writeEndElement();
    }
    writer.writeEndDocument();
    return feed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray feed = FuzzSupport::bytes(data, size);
    QStringList versions;
    for (const QString& line : QString::fromUtf8(feed).split(QLatin1Char('\n')).mid(0, 4))
        versions.append(line.left(256));

    const std::optional<QList<Appcast::Item>> items = Appcast::read(feed);
    if (items) {
        check(items->size() <= Appcast::maxItems, "at most maxItems items");
        for (const Appcast::Item& item : *items) {
            check(!item.shortVersion.isEmpty(), "every item has a short version");
            check(item.shortVersion.size() <= Appcast::maxVersionLength
                    && item.version.size() <= Appcast::maxVersionLength,
                "no overlong version");
            check(item.shortVersion == item.shortVersion.trimmed() && item.version == item.version.trimmed(),
                "versions are trimmed");
            if (versions.size() < 8)
                versions << item.shortVersion << item.version;
        }
        const QByteArray written = feedOf(*items);
        if (written.size() <= Appcast::maxFeedBytes)
            check(Appcast::read(written) == items, "the items written as a feed read back the same");
        if (const std::optional<Appcast::Item> newest = Appcast::newest(*items)) {
            for (const Appcast::Item& item : *items)
                check(!Appcast::isNewer(item, newest->shortVersion, newest->version), "nothing is newer than the newest");
        }
    }
    checkOrder(versions);
    return 0;
}
