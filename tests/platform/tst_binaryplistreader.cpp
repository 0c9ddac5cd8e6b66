#include "BinaryPlistBuilder.h"

#include <PropertyList.h>

#include <QTest>

namespace {

// The node count of a parsed tree, dictionary keys included: what a walk of the result visits.
qint64 treeSize(const PlistValue& value)
{
    qint64 size = 1;
    if (const auto array = value.toArray()) {
        for (const PlistValue& item : *array)
            size += treeSize(item);
    } else if (const auto dictionary = value.toDictionary()) {
        for (const PlistValue& item : *dictionary)
            size += 1 + treeSize(item);
    }
    return size;
}

// Wraps an object in `length` arrays, one inside the next; the outermost one.
int wrapInArrays(BinaryPlistBuilder& builder, int object, int length)
{
    for (int i = 0; i < length; ++i)
        object = builder.addArray({ object });
    return object;
}

QByteArray chainOfArrays(int length)
{
    BinaryPlistBuilder builder;
    return builder.build(wrapInArrays(builder, builder.addString("end"), length));
}

bool accepted(const QByteArray& bytes, qint64 nodes = PropertyList::maximumNodes)
{
    const PropertyList::ParseResult result = PropertyList::decode(bytes, PropertyList::Limits { nodes });
    if (const auto* error = std::get_if<QString>(&result))
        qInfo("refused: %s", qPrintable(*error));
    return std::holds_alternative<PlistValue>(result);
}

} // namespace

class TestBinaryPlistReader : public QObject
{
    Q_OBJECT

private slots:
    void countEqualsParsedTree_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const PlistValue shared = PlistValue::Dictionary { { "k", "v" }, { "n", 7 } };
        QTest::newRow("writer output with repeated values")
            << PropertyList::serialize(PlistValue::Dictionary { { "a", PlistValue::Array { shared, shared, "v", "v" } },
                                           { "b", shared }, { "c", PlistUid { 3 } } },
                   PropertyList::Format::Binary);
        QTest::newRow("shared chain") << sharedReferenceBomb(4);
        BinaryPlistBuilder wide;
        const int leaf = wide.addString("leaf");
        QTest::newRow("array with extended length") << wide.build(wide.addArray(QList<int>(20, leaf)));
    }

    void countEqualsParsedTree()
    {
        QFETCH(QByteArray, bytes);
        const auto parsed = PropertyList::parse(bytes);
        QVERIFY(parsed);
        const qint64 size = treeSize(*parsed);
        QVERIFY(accepted(bytes, size));
        QVERIFY(!accepted(bytes, size - 1));
    }

    void sharedObjectsStayShared()
    {
        const PlistValue root = *PropertyList::parse(sharedReferenceBomb(3));
        const PlistValue::Array items = *root.toArray();
        QCOMPARE(items.size(), 2);
        QVERIFY(items.at(0).containerIdentity() != nullptr);
        QCOMPARE(items.at(0).containerIdentity(), items.at(1).containerIdentity());
        // Written back, the sharing is kept rather than expanded.
        const QByteArray again = PropertyList::serialize(root, PropertyList::Format::Binary);
        QCOMPARE(PropertyList::parse(again), std::optional(root));
        QVERIFY(again.size() <= sharedReferenceBomb(3).size());
    }

    void refusesExponentialSharing()
    {
        // 2^61 nodes once expanded; measured without expanding.
        QVERIFY(!accepted(sharedReferenceBomb(60), 1000000));
    }

    void refusesMalformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray valid = sharedReferenceBomb(3);
        QTest::newRow("truncated") << valid.left(valid.size() - 5);
        QTest::newRow("header only") << QByteArray("bplist00");

        QByteArray zeroReferenceSize = valid;
        zeroReferenceSize[zeroReferenceSize.size() - 32 + 7] = 0;
        QTest::newRow("reference size 0") << zeroReferenceSize;

        QByteArray topOutOfRange = valid;
        topOutOfRange[topOutOfRange.size() - 16 + 7] = char(100);
        QTest::newRow("top object out of range") << topOutOfRange;

        QByteArray tableOutOfRange = valid;
        tableOutOfRange[tableOutOfRange.size() - 8 + 6] = char(0x7F);
        QTest::newRow("offset table out of range") << tableOutOfRange;

        QByteArray objectOutside = valid;
        objectOutside[objectOutside.size() - 32 - 4 * 4 + 3] = char(0xF0); // the first object's offset
        QTest::newRow("object offset past the objects") << objectOutside;

        BinaryPlistBuilder dangling;
        QTest::newRow("reference out of range") << dangling.build(dangling.addArray({ 99 }));

        BinaryPlistBuilder cycle;
        const int self = cycle.reserveArray(1);
        cycle.setReference(self, 0, self);
        QTest::newRow("cycle") << cycle.build(self);

        BinaryPlistBuilder longCycle;
        const int first = longCycle.reserveArray(1);
        const int second = longCycle.addArray({ first });
        longCycle.setReference(first, 0, second);
        QTest::newRow("cycle through two arrays") << longCycle.build(first);

        QTest::newRow("nested too deep") << chainOfArrays(PropertyList::maximumDepth + 1);

        // A deep container, decoded first, then met again deep down: each path alone is within the limit.
        BinaryPlistBuilder reused;
        const int deep = wrapInArrays(reused, reused.addString("end"), 300);
        QTest::newRow("shared container nested too deep")
            << reused.build(reused.addArray({ deep, wrapInArrays(reused, deep, 300) }));

        BinaryPlistBuilder longString;
        QTest::newRow("length past the end") << longString.build(longString.addRaw(QByteArray("\x5F\x11\x7F\xFF"
                                                                                              "abc")));
        BinaryPlistBuilder nonAscii;
        QTest::newRow("ASCII string with a high byte") << nonAscii.build(nonAscii.addRaw(QByteArray("\x52"
                                                                                                    "a\xE9")));
        BinaryPlistBuilder set;
        QTest::newRow("set") << set.build(set.addRaw(QByteArray("\xC0", 1)));
        BinaryPlistBuilder null;
        QTest::newRow("null object") << null.build(null.addRaw(QByteArray("\x00", 1)));
        BinaryPlistBuilder hugeInteger;
        QTest::newRow("128-bit integer beyond 64 bits") << hugeInteger.build(
            hugeInteger.addRaw(QByteArray("\x14\x00\x00\x00\x00\x00\x00\x00\x01", 9) + QByteArray(8, '\0')));

        BinaryPlistBuilder numberKey;
        const int number = numberKey.addRaw(QByteArray("\x10\x05", 2));
        QTest::newRow("key that is not a string") << numberKey.build(numberKey.addDictionary({ { number, number } }));
        BinaryPlistBuilder repeatedKey;
        const int key = repeatedKey.addString("k");
        QTest::newRow("repeated key") << repeatedKey.build(repeatedKey.addDictionary({ { key, key }, { key, key } }));
    }

    void refusesMalformed()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!accepted(bytes, 1000000));
    }

    void readsWhatOtherWritersMayUse_data()
    {
        QTest::addColumn<QByteArray>("object");
        QTest::addColumn<PlistValue>("expected");
        QTest::newRow("float") << QByteArray("\x22\x3F\xC0\x00\x00", 5) << PlistValue(1.5);
        QTest::newRow("128-bit integer") << QByteArray("\x14", 1) + QByteArray(15, '\0') + char(7) << PlistValue(7);
        QTest::newRow("negative 128-bit integer") << QByteArray("\x14", 1) + QByteArray(16, '\xFF') << PlistValue(-1);
        QTest::newRow("8-byte integer is signed") << QByteArray("\x13", 1) + QByteArray(8, '\xFF') << PlistValue(-1);
        QTest::newRow("4-byte integer is unsigned")
            << QByteArray("\x12", 1) + QByteArray(4, '\xFF') << PlistValue(qint64(0xFFFFFFFF));
        QTest::newRow("UTF-16 string with U+0000")
            << QByteArray("\x62\x00\x61\x00\x00", 5) << PlistValue(QString::fromUtf16(u"a\u0000", 2));
        QTest::newRow("UID of 3 bytes") << QByteArray("\x82\x01\x02\x03", 4) << PlistValue(PlistUid { 0x010203 });
    }

    void readsWhatOtherWritersMayUse()
    {
        QFETCH(QByteArray, object);
        QFETCH(PlistValue, expected);
        BinaryPlistBuilder builder;
        QCOMPARE(PropertyList::parse(builder.build(builder.addRaw(object))), std::optional(expected));
    }

    void acceptsDepthUpToTheLimit() { QVERIFY(accepted(chainOfArrays(PropertyList::maximumDepth))); }
};

QTEST_GUILESS_MAIN(TestBinaryPlistReader)
#include "tst_binaryplistreader.moc"
