#include "BinaryPlistBuilder.h"
#include "PropertyList.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(PropertyList::Format)

class PropertyListTest : public QObject
{
    Q_OBJECT

private slots:
    void everyTypeRoundTrips_data()
    {
        QTest::addColumn<PropertyList::Format>("format");
        QTest::newRow("xml") << PropertyList::Format::Xml;
        QTest::newRow("binary") << PropertyList::Format::Binary;
    }

    void everyTypeRoundTrips()
    {
        QFETCH(PropertyList::Format, format);
        const QDateTime date(QDate(2026, 12, 9), QTime(4, 30, 15), QTimeZone::utc());
        const PlistValue::Dictionary nested{
            {"bool", true},
            {"int", qint64(1) << 40},
            {"negative", -7},
            {"real", 0.25},
            {"negative zero", -0.0},
            {"string", QStringLiteral("Grüße — ✓")},
            {"data", QByteArray("\x00\xff\x10", 3)},
            {"empty data", QByteArray()},
            {"date", date},
            {"before reference date", QDateTime(QDate(1999, 1, 1), QTime(0, 0), QTimeZone::utc())},
            {"uid", PlistUid{42}},
            {"array", PlistValue::Array{1, "two", PlistValue::Array{}, PlistValue::Dictionary{{"k", false}}}},
        };
        const PlistValue root(PlistValue::Dictionary{{"nested", nested}, {"top", "level"}});
        const QByteArray bytes = PropertyList::serialize(root, format);
        QVERIFY(bytes.startsWith(format == PropertyList::Format::Binary ? "bplist" : "<?xml"));
        const auto parsed = PropertyList::parse(bytes);
        QVERIFY(parsed);
        const auto parsedNested = *parsed->toDictionary()->value("nested").toDictionary();
        for (auto it = nested.cbegin(); it != nested.cend(); ++it) {
            if (format == PropertyList::Format::Xml && it.key() == "uid")
                continue;
            QVERIFY2(parsedNested.value(it.key()) == it.value(), qPrintable(it.key()));
        }
        // Equal as values, but the sign of a zero is part of the double too.
        QVERIFY(std::signbit(parsedNested.value("negative zero").toReal().value()));
        QVERIFY(format == PropertyList::Format::Binary || bytes.contains("<real>-0</real>"));
    }

    void binaryKeepsUids()
    {
        const PlistValue root(PlistValue::Array{PlistUid{0}, PlistUid{7}});
        QCOMPARE(PropertyList::parse(PropertyList::serialize(root, PropertyList::Format::Binary)), std::optional(root));
    }

    void valuesCompareByContent()
    {
        QVERIFY(PlistValue(1) != PlistValue(true));
        QVERIFY(PlistValue(1) != PlistValue(1.0));
        QVERIFY(PlistValue(PlistValue::Array{1}) == PlistValue(PlistValue::Array{1}));
        QVERIFY(PlistValue(PlistValue::Dictionary{{"a", 1}}) != PlistValue(PlistValue::Dictionary{{"a", 2}}));
        QCOMPARE(PlistValue("x").toInteger(), std::nullopt);
    }

    void badInputIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("hello world");
        QTest::newRow("bplist header only") << QByteArray("bplist00");
        QTest::newRow("unclosed xml") << QByteArray("<?xml version=\"1.0\"?><plist><dict><key>a</key>");
        QByteArray deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
        for (int i = 0; i < 5000; ++i)
            deep += "<array>";
        QTest::newRow("deeply nested, unclosed") << deep;
    }

    void badInputIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!PropertyList::parse(bytes));
    }

    void deepNestingIsRefusedWithoutCrashing()
    {
        QByteArray deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
        for (int i = 0; i < 2000; ++i)
            deep += "<array>";
        for (int i = 0; i < 2000; ++i)
            deep += "</array>";
        deep += "</plist>";
        QVERIFY(!PropertyList::parse(deep));
    }

    void hostileDocumentsAreRefusedBeforeParsing_data()
    {
        QTest::addColumn<QByteArray>("bytes");

        QByteArray deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
        deep += QByteArray("<array>").repeated(200000) + QByteArray("</array>").repeated(200000) + "</plist>";
        QTest::newRow("xml nested 200000 deep") << deep;

        QByteArray wide = "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>";
        wide += QByteArray("<true/>").repeated(PropertyList::maximumNodes + 1) + "</array></plist>";
        QTest::newRow("xml with too many elements") << wide;

        // One 60 KB string referenced 8000 times: a small file, gigabytes once expanded.
        BinaryPlistBuilder builder;
        const int text = builder.addString(QByteArray(60000, 'x'));
        QTest::newRow("binary string shared 8000 times") << builder.build(builder.addArray(QList<int>(8000, text)));
    }

    void hostileDocumentsAreRefusedBeforeParsing()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!PropertyList::parse(bytes));
    }

    void ordinaryDocumentsStayWithinTheLimits()
    {
        PlistValue::Array items;
        for (int i = 0; i < 1000; ++i)
            items.append(PlistValue::Dictionary{{"name", QString(200, QChar('n'))}, {"data", QByteArray(4096, 'd')}});
        const PlistValue root(PlistValue::Dictionary{{"items", items}, {"empty", PlistValue::Array{}}});
        for (auto format : {PropertyList::Format::Xml, PropertyList::Format::Binary})
            QCOMPARE(PropertyList::parse(PropertyList::serialize(root, format)), std::optional(root));
    }

    void xmlReaderIsStrict_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("no plist root") << QByteArray("<dict/>");
        QTest::newRow("two values") << QByteArray("<plist><true/><false/></plist>");
        QTest::newRow("no value") << QByteArray("<plist></plist>");
        QTest::newRow("value without key") << QByteArray("<plist><dict><true/></dict></plist>");
        QTest::newRow("key without value") << QByteArray("<plist><dict><key>a</key></dict></plist>");
        QTest::newRow("key in an array") << QByteArray("<plist><array><key>a</key></array></plist>");
        QTest::newRow("repeated key") << QByteArray(
            "<plist><dict><key>a</key><true/><key>a</key><false/></dict></plist>");
        QTest::newRow("unknown element") << QByteArray("<plist><set/></plist>");
        QTest::newRow("element inside a string") << QByteArray("<plist><string>a<b/></string></plist>");
        QTest::newRow("text between values") << QByteArray("<plist><array>loose</array></plist>");
        QTest::newRow("text in true") << QByteArray("<plist><true>yes</true></plist>");
        QTest::newRow("integer too large") << QByteArray("<plist><integer>9223372036854775808</integer></plist>");
        QTest::newRow("integer with junk") << QByteArray("<plist><integer>12a</integer></plist>");
        QTest::newRow("real with junk") << QByteArray("<plist><real>1.5x</real></plist>");
        QTest::newRow("bad base64") << QByteArray("<plist><data>ab$d</data></plist>");
        QTest::newRow("impossible date") << QByteArray("<plist><date>2023-02-29T00:00:00Z</date></plist>");
        QTest::newRow("date without zone") << QByteArray("<plist><date>2023-02-01T00:00:00</date></plist>");
        QTest::newRow("raw U+0000") << QByteArray("<plist><string>a\0b</string></plist>", 38);
        QTest::newRow("invalid UTF-8") << QByteArray("<plist><string>a\xF3"
                                                     "b</string></plist>");
        QTest::newRow("entity declaration") << QByteArray("<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                                                          "\"&a;&a;&a;&a;\">]><plist><string>&b;</string></plist>");
   }

    void xmlReaderIsStrict()
    {
        QFETCH(QByteArray, body);
        QVERIFY(!PropertyList::parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body));
   }

    void xmlReaderAcceptsWhatOtherWritersUse_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<PlistValue>("expected");
        QTest::newRow("hex integer") << QByteArray("<plist><integer>0x1F</integer></plist>") << PlistValue(31);
        QTest::newRow("negative integer") << QByteArray("<plist><integer> -42 </integer></plist>") << PlistValue(-42);
        QTest::newRow("smallest integer") << QByteArray("<plist><integer>-9223372036854775808</integer></plist>")
                                          << PlistValue(std::numeric_limits<qint64>::min());
        QTest::newRow("infinity") << QByteArray("<plist><real>+infinity</real></plist>")
                                  << PlistValue(std::numeric_limits<double>::infinity());
        QTest::newRow("nan") << QByteArray("<plist><real>nan</real></plist>")
                             << PlistValue(std::numeric_limits<double>::quiet_NaN());
        QTest::newRow("wrapped base64") << QByteArray("<plist><data>\n\tAAEC\n\tAw==\n</data></plist>")
                                        << PlistValue(QByteArray("\0\1\2\3", 4));
        QTest::newRow("comments, CDATA and references") << QByteArray(
            "<plist><!-- c --><array><string><![CDATA[<x>]]>&amp;&#13;&#x263A;</string><!-- d "
            "--></array></plist>") << PlistValue(PlistValue::Array {QStringLiteral("<x>&\r\u263A")});
        QTest::newRow("empty elements") << QByteArray("<plist><dict><key/><string/><key>d</key><data/></dict></plist>")
                                        << PlistValue(PlistValue::Dictionary {{"", ""}, {"d", QByteArray()}});
        QTest::newRow("uid") << QByteArray("<plist><dict><key>CF$UID</key><integer>7</integer></dict></plist>")
                             << PlistValue(PlistUid {7});
        QTest::newRow("leap day") << QByteArray("<plist><date>2024-02-29T12:00:00Z</date></plist>")
                                  << PlistValue(QDateTime(QDate(2024, 2, 29), QTime(12, 0), QTimeZone::utc()));
   }

    void xmlReaderAcceptsWhatOtherWritersUse()
    {
        QFETCH(QByteArray, body);
        QFETCH(PlistValue, expected);
        QCOMPARE(PropertyList::parse("<?xml version=\"1.0\"?>" + body), std::optional(expected));
   }

    void valuesXmlCannotCarryAreWrittenBinary_data()
    {
        QTest::addColumn<PlistValue>("value");
        QTest::newRow("U+0000 in a string") << PlistValue(QString::fromUtf16(u"Built-\u0000in", 9));
        QTest::newRow("U+0000 in a key") << PlistValue(PlistValue::Dictionary {{QString(QChar(0)), 1}});
        QTest::newRow("control character") << PlistValue(QStringLiteral("bell \x07"));
        QTest::newRow("unpaired surrogate") << PlistValue(QString(QChar(0xD800)));
        QTest::newRow("U+FFFF") << PlistValue(QString(QChar(0xFFFF)));
        QTest::newRow("date of infinity") << PlistValue(PlistDate {std::numeric_limits<double>::infinity()});
        QTest::newRow("date beyond the year field") << PlistValue(PlistDate {1e300});
        QTest::newRow("uid beyond signed integers") << PlistValue(PlistUid {~quint64(0)});
   }

    void valuesXmlCannotCarryAreWrittenBinary()
    {
        QFETCH(PlistValue, value);
        const QByteArray bytes = PropertyList::serialize(value, PropertyList::Format::Xml);
        QVERIFY(bytes.startsWith("bplist00"));
        QCOMPARE(PropertyList::parse(bytes), std::optional(value));
   }

    // Whatever the readers accept is written back, as XML or else binary, in a
    // form they accept again and at a size proportional to its binary form.
    void xmlIsWrittenOnlyWhileItStaysInProportion_data()
    {
        QTest::addColumn<PlistValue>("value");
        QTest::addColumn<bool>("xml");

        QTest::newRow("ordinary settings") << PlistValue(PlistValue::Dictionary {
            { "launchAtLogin", false }, { "favorites", PlistValue::Array { "A", "B" } }, { "screenModels", QByteArray(3000, 'm') } })
                                           << true;
        QTest::newRow("text needing escapes") << PlistValue(QString(10000, QChar('"'))) << true;

        // One array of a thousand texts, shared by five hundred parents: the
        // binary form writes it once, XML five hundred times.
        const PlistValue::Array texts(1000, PlistValue(QStringLiteral("shared text")));
        QTest::newRow("shared subtree") << PlistValue(PlistValue::Array(500, PlistValue(texts))) << false;
        QTest::newRow("shared escaped text")
            << PlistValue(PlistValue::Array(200, PlistValue(QString(20000, QChar('&'))))) << false;
        // Indentation grows with depth: XML squares the size of a deep chain.
        PlistValue deep(true);
        for (int i = 0; i < PropertyList::maximumDepth; ++i)
            deep = PlistValue::Array { deep };
        QTest::newRow("deep chain") << deep << false;
        // XML writes a UID as a one-key dictionary: one level deeper, two nodes more.
        PlistValue deepUid(PlistUid { 7 });
        for (int i = 0; i < PropertyList::maximumDepth; ++i)
            deepUid = PlistValue::Array { deepUid };
        QTest::newRow("UID at the deepest level") << deepUid << false;
        QTest::newRow("UIDs beyond the XML node limit")
            << PlistValue(PlistValue::Array(PropertyList::maximumNodes / 2, PlistValue(PlistUid { 1 }))) << false;
    }

    void xmlIsWrittenOnlyWhileItStaysInProportion()
    {
        QFETCH(PlistValue, value);
        QFETCH(bool, xml);
        // The value as a reader would have accepted it.
        const QByteArray binary = PropertyList::serialize(value, PropertyList::Format::Binary);
        QVERIFY(PropertyList::parse(binary));
        const QByteArray written = PropertyList::serialize(value, PropertyList::Format::Xml);
        QCOMPARE(written.startsWith("<?xml"), xml);
        QVERIFY(written.size() <= PropertyList::xmlSizeFloor + PropertyList::xmlSizeFactor * binary.size());
        QCOMPARE(PropertyList::parse(written), std::optional(value));
    }

    void datesKeepTheirRange_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("xml");
        QTest::newRow("reference date") << 0.0 << "2001-01-01T00:00:00Z";
        QTest::newRow("one second before") << -1.0 << "2000-12-31T23:59:59Z";
        QTest::newRow("before 32 bits") << -2500000000.0 << "1921-10-12T19:33:20Z";
        QTest::newRow("after 32 bits") << 2500000000.0 << "2080-03-22T04:26:40Z";
        QTest::newRow("year 1") << -63113904000.0 << "0001-01-01T00:00:00Z";
        QTest::newRow("1 BC, a leap year") << -63140428800.0 << "0000-02-29T00:00:00Z";
        QTest::newRow("far past") << -31556983622400.0 << "-998000-01-01T00:00:00Z";
        QTest::newRow("year 10000") << 252423993600.0 << "10000-01-01T00:00:00Z";
        QTest::newRow("fraction floors") << -0.25 << "2000-12-31T23:59:59Z";
   }

    void datesKeepTheirRange()
    {
        QFETCH(double, seconds);
        QFETCH(QString, xml);
        const PlistValue date(PlistDate {seconds});
        QCOMPARE(PropertyList::parse(PropertyList::serialize(date, PropertyList::Format::Binary)), std::optional(date));
        const QByteArray text = PropertyList::serialize(date, PropertyList::Format::Xml);
        QVERIFY2(text.contains("<date>" + xml.toUtf8() + "</date>"), text.constData());
        QCOMPARE(PropertyList::parse(text), std::optional(PlistValue(PlistDate {std::floor(seconds)})));
   }

    void writeFileReplacesWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.plist");
        QVERIFY(PropertyList::writeFile(path, PlistValue::Dictionary{{"v", 1}}));
        QVERIFY(PropertyList::writeFile(path, PlistValue::Dictionary{{"w", 2}}, PropertyList::Format::Binary));
        QCOMPARE(PropertyList::readFile(path), std::optional<PlistValue>(PlistValue::Dictionary{{"w", 2}}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.plist"});
        QVERIFY(!PropertyList::writeFile(dir.filePath("missing/folder/a.plist"), PlistValue(1)));
        QVERIFY(!PropertyList::readFile(dir.filePath("nothing.plist")));
    }
};

QTEST_GUILESS_MAIN(PropertyListTest)
#include "tst_propertylist.moc"
