#include "BinaryPlistBuilder.h"
#include "PropertyList.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

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
