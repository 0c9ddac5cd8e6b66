#include "BinaryPlistBuilder.h"

#include <KeyedArchive.h>
#include <PropertyList.h>

#include <QTest>

#include <limits>

namespace {

// A record with one field of every kind the encoder writes.
struct TestRecord : KeyedCodable
{
    qint64 number = 0;
    bool flag = false;
    double ratio = 0;
    std::optional<QString> name;
    std::optional<QUrl> link;

    QString archiveClassName() const override { return QStringLiteral("TestRecord"); }

    void encode(KeyedEncoder& encoder) const override
    {
        encoder.encodeInt64("number", number);
        encoder.encodeBool("flag", flag);
        encoder.encodeDouble("ratio", ratio);
        if (name)
            encoder.encodeString("name", *name);
        if (link)
            encoder.encodeUrl("link", *link);
    }
};

const QSet<QString> testClasses{"TestRecord", KeyedArchive::arrayClass, KeyedArchive::urlClass,
                                KeyedArchive::stringClass};

QByteArray archive(const QList<const KeyedCodable*>& objects)
{
    const auto result = KeyedArchive::archiveArray(objects);
    if (const auto* error = std::get_if<QString>(&result))
        qWarning("archiving failed: %s", qPrintable(*error));
    const auto* bytes = std::get_if<QByteArray>(&result);
    return bytes ? *bytes : QByteArray();
}

QString errorText(const std::variant<ArchivedObject, QString>& result)
{
    const auto* error = std::get_if<QString>(&result);
    return error ? *error : QString();
}

PlistValue::Dictionary dictionaryAt(const PlistValue::Array& objects, const PlistValue& reference)
{
    return objects.value(qsizetype(reference.toUid().value_or(PlistUid{}).value))
        .toDictionary()
        .value_or(PlistValue::Dictionary{});
}

PlistValue classEntry(const char* name)
{
    return PlistValue::Dictionary{{"$classname", name},
                                  {"$classes", PlistValue::Array{name, "NSObject"}}};
}

// A keyed archive around a hand-made object table, in binary form.
QByteArray handArchive(const PlistValue::Array& objects, quint64 root = 1,
                       PropertyList::Format format = PropertyList::Format::Binary)
{
    return PropertyList::serialize(
        PlistValue::Dictionary{{"$archiver", "NSKeyedArchiver"},
                               {"$version", 100000},
                               {"$top", PlistValue::Dictionary{{"root", PlistUid{root}}}},
                               {"$objects", objects}},
        format);
}

// Index 1: an array class; 2: its class entry; the rest as given.
PlistValue::Array arrayTable(const PlistValue::Array& items, const PlistValue::Array& rest = {})
{
    PlistValue::Array objects{"$null",
                              PlistValue::Dictionary{{"NS.objects", items}, {"$class", PlistUid{2}}},
                              classEntry("NSArray")};
    objects.append(rest);
    return objects;
}

// Index 3: a URL object, for arrayTable()'s rest.
PlistValue::Array urlAt3()
{
    return {PlistValue::Dictionary{{"NS.base", PlistUid{0}}, {"NS.relative", PlistUid{5}}, {"$class", PlistUid{4}}},
            classEntry("NSURL"), "file:///a"};
}

} // namespace

class TestKeyedArchive : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<qint64>("number");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<std::optional<QString>>("name");
        QTest::addColumn<std::optional<QUrl>>("link");

        QTest::newRow("every field") << qint64(4128) << true << 12.625
                                     << std::optional<QString>("Büro – links")
                                     << std::optional<QUrl>(QUrl::fromLocalFile("/home/u/a b/ä.mp4"));
        QTest::newRow("optionals absent") << qint64(0) << false << 0.0 << std::optional<QString>()
                                          << std::optional<QUrl>();
        QTest::newRow("extreme numbers") << std::numeric_limits<qint64>::min() << false << -1e300
                                         << std::optional<QString>("") << std::optional<QUrl>();
        QTest::newRow("largest number") << std::numeric_limits<qint64>::max() << true << 0.1
                                        << std::optional<QString>() << std::optional<QUrl>();
        // The one text that would otherwise read back as nil.
        QTest::newRow("name is the nil marker")
            << qint64(1) << true << 1.0 << std::optional<QString>("$null")
            << std::optional<QUrl>(QUrl("https://example.com/p?q=1#f"));
    }

    void roundTrip()
    {
        TestRecord record;
        QFETCH(qint64, number);
        QFETCH(bool, flag);
        QFETCH(double, ratio);
        QFETCH(std::optional<QString>, name);
        QFETCH(std::optional<QUrl>, link);
        record.number = number;
        record.flag = flag;
        record.ratio = ratio;
        record.name = name;
        record.link = link;
        TestRecord second;
        second.number = 2;
        second.name = name; // shares the string entry with the first record

        const QByteArray bytes = archive({&record, &second});
        QVERIFY(!bytes.isEmpty());
        const auto result = KeyedArchive::unarchive(bytes, testClasses);
        const auto* root = std::get_if<ArchivedObject>(&result);
        QVERIFY2(root, qPrintable(errorText(result)));
        QCOMPARE(root->kind(), ArchivedObject::Kind::Array);
        QCOMPARE(root->className(), KeyedArchive::arrayClass);
        const QList<ArchivedObject> items = root->toArray().value();
        QCOMPARE(items.size(), 2);

        const ArchivedObject& first = items.at(0);
        QCOMPARE(first.kind(), ArchivedObject::Kind::Instance);
        QCOMPARE(first.className(), QStringLiteral("TestRecord"));
        QCOMPARE(first.int64("number"), std::optional<qint64>(number));
        QCOMPARE(first.boolean("flag"), std::optional<bool>(flag));
        QCOMPARE(first.real("ratio"), std::optional<double>(ratio));
        QCOMPARE(first.string("name"), name);
        QCOMPARE(first.url("link"), link);
        QCOMPARE(first.object("link").has_value(), link.has_value());
        QCOMPARE(items.at(1).int64("number"), std::optional<qint64>(2));
        QCOMPARE(items.at(1).string("name"), name);
    }

    void fieldsReadOnlyAsTheirOwnKind()
    {
        TestRecord record;
        record.number = 7;
        record.name = "n";
        record.link = QUrl("file:///x");
        const auto result = KeyedArchive::unarchive(archive({&record}), testClasses);
        const ArchivedObject item = std::get<ArchivedObject>(result).toArray().value().value(0);
        QCOMPARE(item.real("number"), std::optional<double>(7.0));
        QCOMPARE(item.boolean("number"), std::nullopt);
        QCOMPARE(item.int64("ratio"), std::nullopt);
        QCOMPARE(item.int64("flag"), std::nullopt);
        QCOMPARE(item.string("link"), std::nullopt);
        QCOMPARE(item.url("name"), std::nullopt);
        QCOMPARE(item.int64("name"), std::nullopt);
        QCOMPARE(item.int64("missing"), std::nullopt);
        QCOMPARE(item.object("name")->toString(), std::optional<QString>("n"));
    }

    void emptyArray()
    {
        const auto result = KeyedArchive::unarchive(archive({}), testClasses);
        QCOMPARE(std::get<ArchivedObject>(result).toArray()->size(), 0);
    }

    void archiveShape()
    {
        TestRecord first;
        first.link = QUrl::fromLocalFile("/home/u/a b.mp4");
        TestRecord second;
        const QByteArray bytes = archive({&first, &second});
        QVERIFY(bytes.startsWith("bplist00"));

        const PlistValue::Dictionary top = PropertyList::parse(bytes)->toDictionary().value();
        QCOMPARE(top.value("$archiver"), PlistValue("NSKeyedArchiver"));
        QCOMPARE(top.value("$version"), PlistValue(100000));
        const PlistValue::Array objects = top.value("$objects").toArray().value();
        QCOMPARE(objects.value(0), PlistValue("$null"));

        const PlistValue::Dictionary rootRef = top.value("$top").toDictionary().value();
        QVERIFY(rootRef.value("root").isUid());
        const PlistValue::Dictionary array = dictionaryAt(objects, rootRef.value("root"));
        QCOMPARE(dictionaryAt(objects, array.value("$class")).value("$classname"), PlistValue("NSArray"));
        const PlistValue::Array references = array.value("NS.objects").toArray().value();
        QCOMPARE(references.size(), 2);

        const PlistValue::Dictionary firstFields = dictionaryAt(objects, references.at(0));
        const PlistValue::Dictionary secondFields = dictionaryAt(objects, references.at(1));
        QCOMPARE(firstFields.value("number"), PlistValue(0));
        QCOMPARE(firstFields.value("flag"), PlistValue(false));
        QCOMPARE(firstFields.value("ratio"), PlistValue(0.0));
        QVERIFY(!secondFields.contains("link"));
        // One class entry, shared by both instances.
        QVERIFY(firstFields.value("$class").isUid());
        QCOMPARE(firstFields.value("$class"), secondFields.value("$class"));
        QCOMPARE(PlistValue(dictionaryAt(objects, firstFields.value("$class"))), classEntry("TestRecord"));

        const PlistValue::Dictionary url = dictionaryAt(objects, firstFields.value("link"));
        QCOMPARE(url.value("NS.base"), PlistValue(PlistUid{0}));
        QCOMPARE(objects.value(qsizetype(url.value("NS.relative").toUid()->value)),
                 PlistValue("file:///home/u/a%20b.mp4"));
        QCOMPARE(PlistValue(dictionaryAt(objects, url.value("$class"))), classEntry("NSURL"));
    }

    void archivingRefusesBadInput()
    {
        struct BadKey : TestRecord
        {
            void encode(KeyedEncoder& encoder) const override { encoder.encodeInt64("$class", 1); }
        };
        BadKey badKey;
        QVERIFY(std::holds_alternative<QString>(KeyedArchive::archiveArray({&badKey})));
        QVERIFY(std::holds_alternative<QString>(KeyedArchive::archiveArray({nullptr})));
    }

    void decodesOtherWritersShapes_data()
    {
        QTest::addColumn<PropertyList::Format>("format");
        QTest::newRow("binary") << PropertyList::Format::Binary;
        QTest::newRow("xml") << PropertyList::Format::Xml;
    }

    void decodesOtherWritersShapes()
    {
        QFETCH(PropertyList::Format, format);
        // A mutable array, boxed strings, a URL relative to a base, and nil two ways.
        const PlistValue::Array objects{
            "$null",
            PlistValue::Dictionary{{"NS.objects", PlistValue::Array{PlistUid{3}}}, {"$class", PlistUid{2}}},
            classEntry("NSMutableArray"),
            PlistValue::Dictionary{{"name", PlistUid{5}},
                                   {"label", PlistUid{7}},
                                   {"link", PlistUid{8}},
                                   {"gone", PlistUid{0}},
                                   {"alsoGone", PlistUid{12}},
                                   {"count", 3},
                                   {"$class", PlistUid{4}}},
            classEntry("Thing"),
            PlistValue::Dictionary{{"NS.string", "boxed"}, {"$class", PlistUid{6}}},
            classEntry("NSMutableString"),
            PlistValue::Dictionary{{"NS.string", "plain box"}, {"$class", PlistUid{11}}},
            PlistValue::Dictionary{{"NS.base", PlistUid{9}}, {"NS.relative", PlistUid{13}}, {"$class", PlistUid{10}}},
            PlistValue::Dictionary{{"NS.base", PlistUid{0}}, {"NS.relative", PlistUid{14}}, {"$class", PlistUid{10}}},
            classEntry("NSURL"),
            classEntry("NSString"),
            "$null",
            "b.mp4",
            "file:///home/u/",
        };
        const QSet<QString> allowed{"Thing", "NSMutableArray", "NSMutableString", "NSString", "NSURL"};
        const auto result = KeyedArchive::unarchive(handArchive(objects, 1, format), allowed);
        const auto* root = std::get_if<ArchivedObject>(&result);
        QVERIFY2(root, qPrintable(errorText(result)));
        QCOMPARE(root->className(), QStringLiteral("NSMutableArray"));
        const ArchivedObject thing = root->toArray().value().value(0);
        QCOMPARE(thing.className(), QStringLiteral("Thing"));
        QCOMPARE(thing.string("name"), std::optional<QString>("boxed"));
        QCOMPARE(thing.string("label"), std::optional<QString>("plain box"));
        QCOMPARE(thing.url("link"), std::optional<QUrl>(QUrl("file:///home/u/b.mp4")));
        QCOMPARE(thing.object("gone"), std::nullopt);
        QCOMPARE(thing.object("alsoGone"), std::nullopt);
        QCOMPARE(thing.int64("count"), std::optional<qint64>(3));
    }

    void sharedObjectsAreDecodedOnceAndShared()
    {
        const auto result =
            KeyedArchive::unarchive(handArchive(arrayTable(PlistValue::Array(5000, PlistUid{3}), urlAt3())), testClasses);
        const auto* root = std::get_if<ArchivedObject>(&result);
        QVERIFY2(root, qPrintable(errorText(result)));
        const QList<ArchivedObject> items = root->toArray().value();
        QCOMPARE(items.size(), 5000);
        QCOMPARE(items.first().toUrl(), std::optional<QUrl>(QUrl("file:///a")));
        QCOMPARE(items.last().toUrl(), items.first().toUrl());
    }

    void nilRootIsNotAnError()
    {
        const auto result = KeyedArchive::unarchive(handArchive({"$null"}, 0), testClasses);
        QCOMPARE(std::get<ArchivedObject>(result).kind(), ArchivedObject::Kind::Null);
    }

    void allowListRefusesOtherClasses_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("instance class") << QStringLiteral("TestRecord");
        QTest::newRow("array class") << KeyedArchive::arrayClass;
        QTest::newRow("url class") << KeyedArchive::urlClass;
    }

    void allowListRefusesOtherClasses()
    {
        QFETCH(QString, missing);
        TestRecord record;
        record.link = QUrl("file:///a");
        QSet<QString> allowed = testClasses;
        allowed.remove(missing);
        const auto result = KeyedArchive::unarchive(archive({&record}), allowed);
        const auto* error = std::get_if<QString>(&result);
        QVERIFY(error);
        QVERIFY2(error->contains(missing), qPrintable(*error));
    }

    void corruptInputsAreErrors_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        TestRecord record;
        const QByteArray valid = archive({&record});
        QTest::newRow("empty") << QByteArray() << "not a property list";
        QTest::newRow("text") << QByteArray("hello, world") << "not a property list";
        QTest::newRow("truncated") << valid.left(valid.size() / 2) << "property list";
        QTest::newRow("xml dictionary without objects")
            << PropertyList::serialize(PlistValue::Dictionary{{"$top", PlistValue::Dictionary{}}},
                                       PropertyList::Format::Xml)
            << "not a keyed archive";
        QTest::newRow("array at the top")
            << PropertyList::serialize(PlistValue::Array{"$null"}, PropertyList::Format::Binary)
            << "not a keyed archive";
        QTest::newRow("no root")
            << PropertyList::serialize(PlistValue::Dictionary{{"$objects", PlistValue::Array{"$null"}},
                                                              {"$top", PlistValue::Dictionary{}}},
                                       PropertyList::Format::Binary)
            << "no root";
        QTest::newRow("root out of range") << handArchive({"$null"}, 1) << "out of range";
        QTest::newRow("root is not a reference")
            << PropertyList::serialize(
                   PlistValue::Dictionary{{"$objects", PlistValue::Array{"$null"}},
                                          {"$top", PlistValue::Dictionary{{"root", 0}}}},
                   PropertyList::Format::Binary)
            << "malformed object reference";
        QTest::newRow("item out of range") << handArchive(arrayTable({PlistUid{40}})) << "out of range";
        QTest::newRow("huge reference")
            << handArchive(arrayTable({PlistUid{std::numeric_limits<quint64>::max()}})) << "out of range";
        QTest::newRow("class out of range")
            << handArchive({"$null", PlistValue::Dictionary{{"$class", PlistUid{9}}}}) << "out of range";
        QTest::newRow("class entry is a string")
            << handArchive({"$null", PlistValue::Dictionary{{"$class", PlistUid{2}}}, "NSArray"})
            << "malformed class entry";
        QTest::newRow("object without class")
            << handArchive({"$null", PlistValue::Dictionary{{"x", 1}}}) << "has no class";
        QTest::newRow("integer object") << handArchive(arrayTable({PlistUid{3}}, {42})) << "unsupported";
        QTest::newRow("array without items")
            << handArchive({"$null", PlistValue::Dictionary{{"$class", PlistUid{2}}}, classEntry("NSArray")})
            << "no items";
        QTest::newRow("url without text")
            << handArchive(arrayTable({PlistUid{3}},
                                      {PlistValue::Dictionary{{"NS.relative", PlistUid{0}}, {"$class", PlistUid{4}}},
                                       classEntry("NSURL")}))
            << "has no text";
        QTest::newRow("array holding itself") << handArchive(arrayTable({PlistUid{1}})) << "cycle";
        QTest::newRow("instance cycle")
            << handArchive(arrayTable({PlistUid{3}},
                                      {PlistValue::Dictionary{{"next", PlistUid{5}}, {"$class", PlistUid{4}}},
                                       classEntry("TestRecord"),
                                       PlistValue::Dictionary{{"next", PlistUid{3}}, {"$class", PlistUid{4}}}}))
            << "cycle";
        QTest::newRow("url based on itself")
            << handArchive(arrayTable({PlistUid{3}},
                                      {PlistValue::Dictionary{{"NS.base", PlistUid{3}},
                                                              {"NS.relative", PlistUid{5}},
                                                              {"$class", PlistUid{4}}},
                                       classEntry("NSURL"), "a"}))
            << "cycle";

        // Arrays nested one inside the next, deeper than allowed.
        PlistValue::Array deep{"$null"};
        const int levels = KeyedArchive::maximumDepth + 1;
        for (int i = 1; i <= levels; ++i) {
            const PlistValue::Array items = i < levels ? PlistValue::Array{PlistUid{quint64(i + 1)}}
                                                       : PlistValue::Array{};
            deep.append(PlistValue::Dictionary{{"NS.objects", items}, {"$class", PlistUid{quint64(levels + 1)}}});
        }
        deep.append(classEntry("NSArray"));
        QTest::newRow("nested too deep") << handArchive(deep) << "deeper than";

        // Each array holds the next one twice: a tiny table, a tree of 2^40 nodes.
        PlistValue::Array laughs{"$null"};
        const int generations = 40;
        for (int i = 1; i <= generations; ++i) {
            const PlistUid next{quint64(i < generations ? i + 1 : 0)};
            laughs.append(PlistValue::Dictionary{{"NS.objects", PlistValue::Array{next, next}},
                                                 {"$class", PlistUid{quint64(generations + 1)}}});
        }
        laughs.append(classEntry("NSArray"));
        QTest::newRow("shared archive objects") << handArchive(laughs) << "too large";
        QTest::newRow("shared property list containers") << sharedReferenceBomb(40) << "not a property list";

        // Decoded once, but each reference counts the object's weight: a walk of the result stays bounded.
        QTest::newRow("one URL referenced too often")
            << handArchive(arrayTable(PlistValue::Array(KeyedArchive::maximumNodes / 2, PlistUid{3}), urlAt3()))
            << "too large";
        const QString longText(KeyedArchive::textPerNode * KeyedArchive::maximumNodes, 'x');
        QTest::newRow("one text too long") << handArchive(arrayTable({PlistUid{3}}, {longText})) << "too large";

        // URLs each based on the one before, all sharing one relative text
        // that ends in a slash: each resolves to the whole chain's text.
        // Index 3: the URL class; 4: the text; 5 to 12: the URLs, each based on the one before.
        PlistValue::Array chain = arrayTable({PlistUid{12}}, {classEntry("NSURL"), QString(3000, 'a') + '/'});
        for (quint64 index = 5; index <= 12; ++index) {
            const PlistUid base{index == 5 ? 0 : index - 1};
            chain.append(PlistValue::Dictionary{{"NS.base", base}, {"NS.relative", PlistUid{4}}, {"$class", PlistUid{3}}});
        }
        QTest::newRow("URL chained through its bases") << handArchive(chain) << "longer than";
        QTest::newRow("URL text too long")
            << handArchive(arrayTable({PlistUid{3}},
                                      {PlistValue::Dictionary{{"NS.relative", PlistUid{5}}, {"$class", PlistUid{4}}},
                                       classEntry("NSURL"), "file:///" + QString(KeyedArchive::maximumUrlLength, 'a')}))
            << "not a valid URL";
        // A URL keeps UTF-8, which cannot hold it: it would change on the next save.
        QTest::newRow("URL with a lone surrogate")
            << handArchive(arrayTable({PlistUid{3}},
                                      {PlistValue::Dictionary{{"NS.relative", PlistUid{5}}, {"$class", PlistUid{4}}},
                                       classEntry("NSURL"), "file:///a" + QString(QChar(0xDC00)) + ".mov"}))
            << "not a valid URL";
    }

    void corruptInputsAreErrors()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const auto result = KeyedArchive::unarchive(bytes, testClasses);
        const auto* error = std::get_if<QString>(&result);
        QVERIFY(error);
        QVERIFY2(error->contains(expected), qPrintable(*error));
    }
};

QTEST_GUILESS_MAIN(TestKeyedArchive)
#include "tst_keyedarchive.moc"
