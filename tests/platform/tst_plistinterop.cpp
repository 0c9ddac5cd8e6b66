#include <PropertyList.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <limits>

Q_DECLARE_METATYPE(PropertyList::Format)

// Proves that property lists we write read the same through two independent
// codecs, plistutil and Python's plistlib, and that what they write reads the
// same through ours: each value goes out in one format, the other tool
// converts it to either format, and we read the result.
namespace {

using Format = PropertyList::Format;

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

// Values both tools carry exactly, in both formats.
void addCommonRows()
{
    QTest::addColumn<PlistValue>("value");
    QTest::newRow("scalars") << PlistValue(PlistValue::Dictionary {
        { "true", true },
        { "false", false },
        { "zero", 0 },
        { "small", 200 },
        { "two bytes", 40000 },
        { "four bytes", qint64(4000000000) },
        { "largest", std::numeric_limits<qint64>::max() },
        { "negative", -1 },
        { "smallest", std::numeric_limits<qint64>::min() },
        { "real", 0.1 },
        { "huge real", 1e300 },
        { "negative real", -2.5 },
        { "data", QByteArray("\x00\x01\xfe\xff", 4) },
        { "empty data", QByteArray() },
        { "date", utc(2026, 12, 9, 4, 30, 15) },
        { "before the reference date", utc(1999, 12, 31, 23, 59, 59) },
    });
    QTest::newRow("text") << PlistValue(PlistValue::Dictionary {
        { "ascii", "plain" },
        { "empty", "" },
        { "markup", "<a href=\"x\">&amp;</a> ]]>" },
        { "lines", "one\ntwo\n\tthree" },
        { "unicode", QStringLiteral("Grüße — ✓ 日本") },
        { "outside the BMP", QStringLiteral("emoji 😀 and 𝄞") },
        { "long", QString(300, QChar('L')) },
        { QStringLiteral("ключ"), "non-ASCII key" },
        { " spaced key ", "  spaced value  " },
    });
    PlistValue::Array many;
    for (int i = 0; i < 300; ++i)
        many.append(PlistValue::Dictionary { { "index", i }, { "name", QStringLiteral("item %1").arg(i % 7) } });
    QTest::newRow("many objects") << PlistValue(PlistValue::Dictionary { { "items", many } });
    QTest::newRow("nesting") << PlistValue(PlistValue::Array { PlistValue::Array {}, PlistValue::Dictionary {},
        PlistValue::Array {
            PlistValue::Array { PlistValue::Array { "deep", PlistValue::Dictionary { { "k", 1 } } } } } });
    QTest::newRow("top-level string") << PlistValue("alone");
}

// Converts with the tool; false when it failed.
bool convert(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return false;
    }
    return true;
}

const char* formatName(Format format) { return format == Format::Xml ? "xml" : "bin"; }

} // namespace

class TestPlistInterop : public QObject
{
    Q_OBJECT

private:
    // Writes the value in each format, lets the tool rewrite it in each format,
    // and reads the result.
    void roundTripThrough(const PlistValue& value, const QList<std::pair<Format, Format>>& routes,
        const std::function<QStringList(QString, QString, Format)>& command)
    {
        for (const auto& [ours, theirs] : routes) {
            const QString input = m_dir.filePath("in.plist");
            const QString output = m_dir.filePath("out.plist");
            QFile::remove(output);
            QVERIFY(PropertyList::writeFile(input, value, ours));
            const QStringList arguments = command(input, output, theirs);
            QVERIFY(convert(arguments.first(), arguments.mid(1)));
            const auto result = PropertyList::readFile(output);
            QVERIFY2(result, qPrintable(QStringLiteral("%1 -> %2").arg(formatName(ours), formatName(theirs))));
            QVERIFY2(
                *result == value, qPrintable(QStringLiteral("%1 -> %2").arg(formatName(ours), formatName(theirs))));
        }
    }

    static QStringList plistutil(const QString& input, const QString& output, Format format)
    {
        return { "plistutil", "-i", input, "-o", output, "-f", formatName(format) };
    }

    static QStringList plistlib(const QString& input, const QString& output, Format format)
    {
        return { "python3", "-c",
            "import plistlib, sys\n"
            "value = plistlib.load(open(sys.argv[1], 'rb'))\n"
            "fmt = plistlib.FMT_XML if sys.argv[3] == 'xml' else plistlib.FMT_BINARY\n"
            "plistlib.dump(value, open(sys.argv[2], 'wb'), fmt=fmt, sort_keys=False)\n",
            input, output, formatName(format) };
    }

    const QList<std::pair<Format, Format>> everyRoute { { Format::Xml, Format::Xml }, { Format::Xml, Format::Binary },
        { Format::Binary, Format::Xml }, { Format::Binary, Format::Binary } };
    // Both tools write a carriage return raw in XML, where readers must take it for a line feed.
    const QList<std::pair<Format, Format>> intoBinary { { Format::Xml, Format::Binary },
        { Format::Binary, Format::Binary } };
    QTemporaryDir m_dir;

private slots:
    void throughPlistutil_data() { addCommonRows(); }

    void throughPlistutil()
    {
        QFETCH(PlistValue, value);
        roundTripThrough(value, everyRoute, plistutil);
    }

    void carriageReturnsThroughPlistutil()
    {
        roundTripThrough(PlistValue::Dictionary { { "lines\r", "one\r\ntwo\rthree" } }, intoBinary, plistutil);
    }

    void uidsThroughPlistutil()
    {
        // plistutil keeps an XML UID a dictionary when it writes binary.
        roundTripThrough(PlistValue::Array { PlistUid { 0 }, PlistUid { 7 }, PlistUid { 70000 } },
            { { Format::Xml, Format::Xml }, { Format::Binary, Format::Xml }, { Format::Binary, Format::Binary } },
            plistutil);
    }

    void throughPlistlib_data() { addCommonRows(); }

    void throughPlistlib()
    {
        QFETCH(PlistValue, value);
        roundTripThrough(value, everyRoute, plistlib);
    }

    // What XML cannot carry, and what plistutil narrows, read back from the binary form.
    void exactValuesThroughPlistlib_data()
    {
        QTest::addColumn<PlistValue>("value");
        const QString withNul = QString::fromUtf16(u"Built-\u0000in\u0000", 10);
        QTest::newRow("carriage returns") << PlistValue(PlistValue::Dictionary { { "lines\r", "one\r\ntwo\rthree" } });
        QTest::newRow("U+0000 in strings and keys") << PlistValue(PlistValue::Dictionary { { withNul, withNul },
            { "ascii", QString::fromLatin1("a\0b", 3) }, { "control", QStringLiteral("\x01\x1f") } });
        QTest::newRow("dates beyond 32 bits of seconds") << PlistValue(PlistValue::Array {
            utc(1900, 1, 1), utc(1932, 12, 13), utc(2069, 1, 20), utc(9999, 12, 31, 23, 59, 59), utc(1, 1, 1) });
    }

    void exactValuesThroughPlistlib()
    {
        QFETCH(PlistValue, value);
        roundTripThrough(value, intoBinary, plistlib);
    }

    void fractionalDatesThroughPlistlib()
    {
        // XML dates carry whole seconds; binary ones the exact double.
        roundTripThrough(
            PlistValue::Array { PlistDate { 611406665.390625 }, PlistDate { -0.5 }, PlistDate { 1e9 + 0.25 } },
            { { Format::Binary, Format::Binary } }, plistlib);
    }

    void uidsThroughPlistlib()
    {
        // plistlib reads an XML UID as a dictionary and writes no UID in XML.
        roundTripThrough(PlistValue::Array { PlistUid { 0 }, PlistUid { 255 }, PlistUid { quint64(1) << 40 } },
            { { Format::Binary, Format::Binary } }, plistlib);
    }
};

QTEST_GUILESS_MAIN(TestPlistInterop)
#include "tst_plistinterop.moc"
