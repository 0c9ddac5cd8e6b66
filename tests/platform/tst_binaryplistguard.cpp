#include "BinaryPlistBuilder.h"

#include <BinaryPlistGuard.h>
#include <PropertyList.h>

#include <QTest>

namespace {

// The node count of a parsed tree, dictionary keys included: what the parser built.
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

QByteArray chainOfArrays(int length)
{
    BinaryPlistBuilder builder;
    int next = builder.addString("end");
    for (int i = 0; i < length; ++i)
        next = builder.addArray({next});
    return builder.build(next);
}

} // namespace

class TestBinaryPlistGuard : public QObject
{
    Q_OBJECT

private slots:
    void countEqualsParsedTree_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const PlistValue shared = PlistValue::Dictionary{{"k", "v"}, {"n", 7}};
        QTest::newRow("writer output with repeated values") << PropertyList::serialize(
            PlistValue::Dictionary{{"a", PlistValue::Array{shared, shared, "v", "v"}},
                                   {"b", shared},
                                   {"c", PlistUid{3}}},
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
        QVERIFY(BinaryPlistGuard::withinNodeLimit(bytes, size));
        QVERIFY(!BinaryPlistGuard::withinNodeLimit(bytes, size - 1));
    }

    void refusesExponentialSharing()
    {
        // 2^61 nodes once expanded; measured without expanding.
        QVERIFY(!BinaryPlistGuard::withinNodeLimit(sharedReferenceBomb(60), 1000000));
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

        BinaryPlistBuilder dangling;
        QTest::newRow("reference out of range") << dangling.build(dangling.addArray({99}));

        BinaryPlistBuilder cycle;
        const int self = cycle.reserveArray(1);
        cycle.setReference(self, 0, self);
        QTest::newRow("cycle") << cycle.build(self);

        QTest::newRow("nested too deep") << chainOfArrays(BinaryPlistGuard::maximumDepth + 1);
    }

    void refusesMalformed()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!BinaryPlistGuard::withinNodeLimit(bytes, 1000000));
    }

    void passesWhatIsNotBinary()
    {
        const QByteArray xml =
            PropertyList::serialize(PlistValue::Array{"a", "b"}, PropertyList::Format::Xml);
        QVERIFY(BinaryPlistGuard::withinNodeLimit(xml, 1));
        QVERIFY(BinaryPlistGuard::withinNodeLimit(QByteArray(), 1));
        QVERIFY(BinaryPlistGuard::withinNodeLimit(chainOfArrays(BinaryPlistGuard::maximumDepth), 1000000));
    }
};

QTEST_GUILESS_MAIN(TestBinaryPlistGuard)
#include "tst_binaryplistguard.moc"
