// The update feed reader and the version rule it compares by.
#include "Appcast.h"
#include "NumericVersion.h"

#include <QTest>

Q_DECLARE_METATYPE(Appcast::Item)

namespace {

QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://example.com/sparkle\"><channel><title>Lanto</title>"
        + items + "</channel></rss>";
}

QByteArray item(const QByteArray& shortVersion, const QByteArray& version)
{
    QByteArray text = "<item><title>Release</title>";
    if (!shortVersion.isNull())
        text += "<sparkle:shortVersionString>" + shortVersion + "</sparkle:shortVersionString>";
    if (!version.isNull())
        text += "<sparkle:version>" + version + "</sparkle:version>";
    return text + "<enclosure url=\"https://example.com/Lanto.zip\"/></item>";
}

} // namespace

class tst_Appcast : public QObject
{
    Q_OBJECT

private slots:
    void compare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("1.10 > 1.9") << "1.10"
                                    << "1.9" << 1;
        QTest::newRow("2.0 > 1.99") << "2.0"
                                    << "1.99" << 1;
        QTest::newRow("1.0.0 > 1.0") << "1.0.0"
                                     << "1.0" << 1;
        QTest::newRow("1.2 = 1.2") << "1.2"
                                   << "1.2" << 0;
        QTest::newRow("leading zeros") << "1.02"
                                       << "1.2" << 0;
        QTest::newRow("0 < anything") << "0"
                                      << "0.1" << -1;
        QTest::newRow("empty < 0") << ""
                                   << "0" << -1;
        QTest::newRow("letters by code") << "1.0b"
                                         << "1.0a" << 1;
        QTest::newRow("case matters") << "1.0B"
                                      << "1.0a" << -1;
        QTest::newRow("digit before letter") << "1.0"
                                             << "1.a" << -1;
        QTest::newRow("beyond 64 bits") << "1.99999999999999999999999"
                                        << "1.99999999999999999999998" << 1;
        QTest::newRow("longer run wins") << "100000000000000000000"
                                         << "99999999999999999999" << 1;
        QTest::newRow("build numbers") << "250"
                                       << "99" << 1;
    }
    void compare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(NumericVersion::compare(a, b), order);
        QCOMPARE(NumericVersion::compare(b, a), -order);
    }

    void newest_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<Appcast::Item>>("expected");
        using Item = Appcast::Item;
        QTest::newRow("one item") << feed(item("1.2", "12")) << std::optional(Item { "1.2", "12" });
        QTest::newRow("newest not first")
            << feed(item("1.9", "9") + item("1.10", "10") + item("1.2", "2")) << std::optional(Item { "1.10", "10" });
        QTest::newRow("same short, greater build")
            << feed(item("2.0", "200") + item("2.0", "201")) << std::optional(Item { "2.0", "201" });
        QTest::newRow("tie keeps the earlier")
            << feed(item("2.0", "200") + item("2.0", "200")) << std::optional(Item { "2.0", "200" });
        // Each item keeps its own build: a missing one does not borrow the next item's.
        QTest::newRow("item without build")
            << feed(item("1.0", {}) + item("2.0", "20")) << std::optional(Item { "2.0", "20" });
        QTest::newRow("build only") << feed(item({}, "300")) << std::optional<Item>();
        QTest::newRow("no items") << feed("") << std::optional<Item>();
        QTest::newRow("blank version") << feed(item("   ", "3")) << std::optional<Item>();
        QTest::newRow("trimmed") << feed(item(" 1.4 \n", " 14 ")) << std::optional(Item { "1.4", "14" });
        QTest::newRow("undeclared prefix") << QByteArray("<rss><channel>" + item("3.1", "31") + "</channel></rss>")
                                           << std::optional(Item { "3.1", "31" });
        QTest::newRow("first element of an item counts")
            << feed("<item><sparkle:shortVersionString>1.1</sparkle:shortVersionString>"
                    "<sparkle:shortVersionString>9.9</sparkle:shortVersionString></item>")
            << std::optional(Item { "1.1", "" });
        QTest::newRow("child markup dropped")
            << feed("<item><sparkle:shortVersionString>1.<b>5</b></sparkle:shortVersionString></item>")
            << std::optional(Item { "1.", "" });
        QTest::newRow("overlong version skipped")
            << feed(item(QByteArray(100, '9'), "1") + item("1.0", "1")) << std::optional(Item { "1.0", "1" });
        QTest::newRow("entity in text") << feed(item("1.&#x32;", "2")) << std::optional(Item { "1.2", "2" });
    }
    void newest()
    {
        QFETCH(QByteArray, text);
        QFETCH(std::optional<Appcast::Item>, expected);
        const std::optional<QList<Appcast::Item>> items = Appcast::read(text);
        QVERIFY(items);
        QCOMPARE(Appcast::newest(*items), expected);
    }

    // Input no feed should be acted on gives nothing, quickly and without growing.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not xml") << QByteArray("sparkle:shortVersionString>9.9<");
        QTest::newRow("truncated") << feed(item("9.9", "99")).chopped(20);
        QTest::newRow("mismatched tags") << QByteArray("<rss><item><sparkle:shortVersionString>9</item></rss>");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe<rss>", 8);
        QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\">";
        for (char c = 'b'; c <= 'k'; ++c)
            laughs += QByteArray("<!ENTITY ") + c + " \"" + (QByteArray("&") + char(c - 1) + ";").repeated(10) + "\">";
        laughs += "]><rss><item><sparkle:shortVersionString>&k;</sparkle:shortVersionString></item></rss>";
        QTest::newRow("entity expansion") << laughs;
        QTest::newRow("external entity") << QByteArray(
            "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
            "<rss><item><sparkle:shortVersionString>&x;</sparkle:shortVersionString></item></rss>");
        QByteArray declarations = "<!DOCTYPE rss [";
        for (int i = 0; i < 20000; ++i)
            declarations += "<!ATTLIST x" + QByteArray::number(i) + " a CDATA \"v\">";
        QTest::newRow("attribute declarations") << declarations + "]>" + feed(item("9.9", "99"));
        QByteArray crowded = "<rss";
        for (int i = 0; i < 30000; ++i)
            crowded += " a" + QByteArray::number(i) + "=\"\"";
        QTest::newRow("crowded tag") << crowded + "><item><sparkle:shortVersionString>9.9</sparkle:shortVersionString></item></rss>";
        QTest::newRow("too large") << feed(QByteArray(Appcast::maxFeedBytes, ' ') + item("9.9", "99"));
        QByteArray many;
        for (qsizetype i = 0; i <= Appcast::maxItems; ++i)
            many += "<item/>";
        QTest::newRow("too many items") << feed(many);
    }
    void hostile()
    {
        QFETCH(QByteArray, text);
        const std::optional<QList<Appcast::Item>> items = Appcast::read(text);
        QVERIFY(!items || items->isEmpty());
    }

    void deepNestingDoesNotRecurse()
    {
        QByteArray text = "<rss><item>";
        for (int i = 0; i < 100000; ++i)
            text += "<x>";
        const std::optional<QList<Appcast::Item>> items = Appcast::read(text);
        QVERIFY(!items);
    }

    void isNewer_data()
    {
        QTest::addColumn<QString>("remoteShort");
        QTest::addColumn<QString>("remoteBuild");
        QTest::addColumn<QString>("localShort");
        QTest::addColumn<QString>("localBuild");
        QTest::addColumn<bool>("newer");
        QTest::newRow("greater short") << "1.10"
                                       << "1"
                                       << "1.9"
                                       << "5" << true;
        QTest::newRow("same short, greater build") << "1.2"
                                                   << "13"
                                                   << "1.2"
                                                   << "12" << true;
        QTest::newRow("same short, same build") << "1.2"
                                                << "12"
                                                << "1.2"
                                                << "12" << false;
        QTest::newRow("same short, no build") << "1.2"
                                              << ""
                                              << "1.2"
                                              << "12" << false;
        QTest::newRow("1.0.0 against 1.0") << "1.0.0"
                                           << "1"
                                           << "1.0"
                                           << "1" << true;
        QTest::newRow("smaller short, greater build") << "1.1"
                                                      << "99"
                                                      << "1.2"
                                                      << "1" << false;
        QTest::newRow("nothing known here") << "0.0.1"
                                            << "1"
                                            << "0"
                                            << "0" << true;
    }
    void isNewer()
    {
        QFETCH(QString, remoteShort);
        QFETCH(QString, remoteBuild);
        QFETCH(QString, localShort);
        QFETCH(QString, localBuild);
        QFETCH(bool, newer);
        QCOMPARE(Appcast::isNewer({ remoteShort, remoteBuild }, localShort, localBuild), newer);
    }
};

QTEST_GUILESS_MAIN(tst_Appcast)
#include "tst_appcast.moc"
