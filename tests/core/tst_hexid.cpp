#include "HexID.h"

#include <QtTest>

class TestHexID : public QObject
{
    Q_OBJECT

private slots:
    void hexIDsReadAsUUIDs_data();
    void hexIDsReadAsUUIDs();
    void otherTextsGiveStableNameBasedUUIDs_data();
    void otherTextsGiveStableNameBasedUUIDs();
    void differentTextsGiveDifferentUUIDs();
    void coloursReadFromHex_data();
    void coloursReadFromHex();
};

void TestHexID::hexIDsReadAsUUIDs_data()
{
    QTest::addColumn<QString>("hexID");
    QTest::addColumn<QString>("uuid");

    QTest::newRow("32 digits map to themselves")
        << "00112233445566778899AABBCCDDEEFF" << "00112233-4455-6677-8899-AABBCCDDEEFF";
    QTest::newRow("24 digits continue with their first eight")
        << "0123456789abcdef01234567" << "01234567-89AB-CDEF-0123-456701234567";
    QTest::newRow("seven digits repeat to fill")
        << "abcdef1" << "abcdef1a-bcde-f1ab-cdef-1abcdef1abcd";
    QTest::newRow("longer ids keep their first 32 digits")
        << "00112233445566778899aabbccddeeff0123" << "00112233-4455-6677-8899-AABBCCDDEEFF";
    QTest::newRow("text after the first 32 characters is not read")
        << "00112233445566778899aabbccddeeff-not-hex" << "00112233-4455-6677-8899-AABBCCDDEEFF";
    QTest::newRow("a letter of its own after the first 32")
        << QString::fromUtf16(u"00112233445566778899aabbccddeeff\u00e9") << "00112233-4455-6677-8899-AABBCCDDEEFF";
}

void TestHexID::hexIDsReadAsUUIDs()
{
    QFETCH(QString, hexID);
    QFETCH(QString, uuid);
    QCOMPARE(uuidFromHexID(hexID), QUuid::fromString(uuid));
    QVERIFY(!QUuid::fromString(uuid).isNull());
}

void TestHexID::otherTextsGiveStableNameBasedUUIDs_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("uuid text with dashes") << "00112233-4455-6677-8899-AABBCCDDEEFF";
    QTest::newRow("six digits are too short") << "abcdef";
    QTest::newRow("a letter among the first 32") << QString::fromUtf16(u"0123456789abcdef01234567\u00e9");
    QTest::newRow("not hex") << "wallpaper-of-the-day";
    QTest::newRow("non-hex inside the first 32") << "0011223344556677889zaabbccddeeff";
    QTest::newRow("digit carrying a combining mark") << QString::fromUtf16(u"0123456789abcdef0123456789abcdef\u0301");
}

void TestHexID::otherTextsGiveStableNameBasedUUIDs()
{
    QFETCH(QString, text);
    const QUuid first = uuidFromHexID(text);
    QVERIFY(!first.isNull());
    QCOMPARE(first.version(), QUuid::Sha1);
    QCOMPARE(uuidFromHexID(text), first);
    QCOMPARE(uuidFromHexID(QString(text)), first);
}

void TestHexID::differentTextsGiveDifferentUUIDs()
{
    const QStringList texts{QString(), "a", "A", "00112233-4455-6677-8899-AABBCCDDEEFF",
                            "00112233-4455-6677-8899-aabbccddeeff", "imported video.mov"};
    QSet<QUuid> seen;
    for (const QString& text : texts)
        seen.insert(uuidFromHexID(text));
    QCOMPARE(seen.size(), texts.size());
}

void TestHexID::coloursReadFromHex_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("orange") << "#FF8800" << QColor(255, 136, 0);
    QTest::newRow("without number sign") << "1a2B3c" << QColor(0x1a, 0x2b, 0x3c);
    QTest::newRow("number signs at both ends") << "##00ff00#" << QColor(0, 255, 0);
    QTest::newRow("eight digits keep the last six") << "#80FF8800" << QColor(255, 136, 0);
    QTest::newRow("sixteen digits keep the last six") << "ffffffffff123456" << QColor(0x12, 0x34, 0x56);
    QTest::newRow("past sixteen digits saturates") << "00000000000000000123456" << QColor(0x12, 0x34, 0x56);
    QTest::newRow("overflow saturates to white") << "1000000000000000000" << QColor(255, 255, 255);
    QTest::newRow("twenty digits saturate") << "ffffffffffffff123456" << QColor(255, 255, 255);
    QTest::newRow("short text fills from blue") << "#F0" << QColor(0, 0, 0xF0);
    QTest::newRow("not hex is black") << "#zzzzzz" << QColor(0, 0, 0);
    QTest::newRow("empty is black") << "" << QColor(0, 0, 0);
    QTest::newRow("only number signs are black") << "###" << QColor(0, 0, 0);
    QTest::newRow("reading stops at the first non-hex") << "#12g456" << QColor(0, 0, 0x12);
    QTest::newRow("leading white space is skipped") << " \tFF8800" << QColor(255, 136, 0);
    QTest::newRow("0x prefix") << "0x0000ff" << QColor(0, 0, 255);
}

void TestHexID::coloursReadFromHex()
{
    QFETCH(QString, hex);
    QFETCH(QColor, colour);
    const QColor parsed = colorFromHex(hex);
    QCOMPARE(parsed, colour);
    QCOMPARE(parsed.alpha(), 255);
    QCOMPARE(parsed.convertTo(QColor::Rgb), parsed); // already an RGB colour
}

QTEST_GUILESS_MAIN(TestHexID)
#include "tst_hexid.moc"
