#include "CatalogueArray.h"
#include "CatalogueSamples.h"
#include "CatalogueWriter.h"
#include "SharedStrings.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

// The decoder the fast one replaces, kept as the reference it must agree with.
std::optional<QList<APIWallpaper>> decodedByQt(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<APIWallpaper> records;
    for (const QJsonValue& element : document.array()) {
        std::optional<APIWallpaper> record
            = element.isObject() ? APIWallpaper::fromJson(element.toObject()) : std::nullopt;
        if (!record)
            return std::nullopt;
        records.append(*record);
    }
    return records;
}

QByteArray writtenByQt(const QList<APIWallpaper>& records)
{
    QJsonArray array;
    for (const APIWallpaper& record : records)
        array.append(record.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

QByteArray streamed(const QList<APIWallpaper>& records)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CatalogueWriter::ArrayStream stream(buffer);
    for (const APIWallpaper& record : records)
        stream.add(record);
    stream.finish();
    return buffer.data();
}

// One record of the samples as JSON text, with a field replaced ("key":value) or taken out (value empty).
QByteArray withField(const QByteArray& key, const QByteArray& value)
{
    QJsonObject object = catalogueSamples().at(1).toJson();
    object.remove(QString::fromLatin1(key));
    QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    if (!value.isEmpty())
        json.insert(1, "\"" + key + "\":" + value + ",");
    return "[" + json + "]";
}

// The one element of a one-element array placed among thousands of good
// records (first, in the middle or last), so that a long array is read the
// way long arrays are; nothing for other texts.
QList<QByteArray> amongMany(const QByteArray& json)
{
    if (!json.startsWith('[') || !json.endsWith(']') || json.size() < 3)
        return {};
    const QByteArray good = QJsonDocument(catalogueSamples().at(0).toJson()).toJson(QJsonDocument::Compact);
    const QByteArray element = json.mid(1, json.size() - 2);
    QList<QByteArray> arrays;
    for (int position : {0, 2500, 3000}) {
        QByteArray many = "[ ";
        for (int i = 0; i < 3000; ++i) {
            many += i == position ? element : good;
            many += i % 7 == 0 ? ",\n " : ",";
        }
        many += position == 3000 ? element : good;
        arrays.append(many + " ]");
    }
    return arrays;
}

} // namespace

class TestCatalogueJson : public QObject
{
    Q_OBJECT

private slots:
    void writesTheBytesQtWrites()
    {
        const QList<APIWallpaper> samples = catalogueSamples();
        QCOMPARE(streamed(samples), writtenByQt(samples));
        QCOMPARE(streamed({}), QByteArray("[]"));
    }

    void longArraysStreamInPieces()
    {
        QList<APIWallpaper> many;
        for (int i = 0; i < 3000; ++i) {
            APIWallpaper record = catalogueSamples().at(i % 3);
            record.id = QString::number(i);
            many.append(record);
        }
        const QByteArray bytes = streamed(many);
        QVERIFY(bytes.size() > 1 << 20); // past one flush
        QCOMPARE(bytes, writtenByQt(many));
        QCOMPARE(CatalogueArray::decode(bytes), std::optional(many));
    }

    void readsWhatItWrites()
    {
        QList<APIWallpaper> samples = catalogueSamples();
        // A text that starts with U+FEFF is a text like any other, not a byte-order mark.
        samples[0].title = QChar(0xFEFF) + samples[0].title;
        samples[0].tags.prepend(QString(2, QChar(0xFEFF)) + QStringLiteral("tag"));
        QCOMPARE(CatalogueArray::decode(streamed(samples)), std::optional(samples));
    }

    void agreesWithQtDecoding_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("samples") << writtenByQt(catalogueSamples());
        QTest::newRow("empty array") << QByteArray(" [ ] ");
        QTest::newRow("nulls in optional fields") << withField("posterPath", "null");
        QTest::newRow("null in a required field") << withField("title", "null");
        QTest::newRow("required field missing") << withField("tags", "");
        QTest::newRow("text where a number goes") << withField("fileSize", "\"12\"");
        QTest::newRow("fraction") << withField("fileSize", "1.5");
        QTest::newRow("whole number with a point") << withField("fileSize", "5.0");
        QTest::newRow("exponent") << withField("fileSize", "1e3");
        QTest::newRow("negative zero") << withField("fileSize", "-0");
        QTest::newRow("largest integer") << withField("fileSize", "9223372036854775807");
        QTest::newRow("past the largest integer") << withField("fileSize", "9223372036854775808");
        QTest::newRow("2^63 as a double") << withField("fileSize", "9.223372036854775808e18");
        QTest::newRow("unknown keys") << withField("extra", R"({"a":[1,2.5,"x",true,null,{"b":{}}]})");
        QTest::newRow("repeated key, last wins") << withField("title", R"("first","title":"second")");
        QTest::newRow("repeated key, last is wrong") << withField("title", R"("first","title":7)");
        // The later object replaces the earlier whole, fields it lacks included.
        // Bytes that are not JSON stay refused even when a later key of the same name would read.
        QTest::newRow("bad atom before a repeated key") << withField("title", R"(n,"title":"ok")");
        QTest::newRow("bad number before a repeated key") << withField("fileSize", R"(-,"fileSize":1)");
        QTest::newRow("bad atom in an object before a repeated key")
            << withField("profile", R"({"id":"p","x":n "isVerified":true},"profile":{"id":"p","isVerified":true})");
        QTest::newRow("bad atom in a list before a repeated key") << withField("tags", R"([n],"tags":[])");
        QTest::newRow("repeated category, last wins")
            << withField("category", R"({"id":"c","name":"n","icon":"i","sortOrder":3},"category":{"id":"c","name":"m","icon":"i"})");
        QTest::newRow("repeated profile, last wins")
            << withField("profile", R"({"id":"p","name":"Ana","isVerified":true},"profile":{"id":"q","isVerified":false})");
        QTest::newRow("escaped key") << withField("t\\u0069tle", R"("escaped")");
        QTest::newRow("escapes in texts") << withField("title", "\"a\\\"b\\\\c\\/d\\u00e9\\ud83c\\udf0c\\n\"");
        QTest::newRow("escaped byte-order mark first") << withField("title", R"("\ufeffT")");
        QTest::newRow("escaped byte-order marks first, in a tag") << withField("tags", R"(["\ufeff\ufeffa"])");
        QTest::newRow("escaped lone high surrogate") << withField("title", R"("a\ud800b")");
        QTest::newRow("escaped lone low surrogate in a tag") << withField("tags", R"(["\udc00"])");
        QTest::newRow("escaped surrogates the wrong way round") << withField("title", R"("\udf0c\ud83c")");
        QTest::newRow("colon after a text") << withField("title", R"("a":"b")");
        QTest::newRow("colon after a tag") << withField("tags", R"(["a":"b"])");
        QTest::newRow("key with an escaped quote") << withField("ti\\\"tle", R"("x")");
        QTest::newRow("tag not text") << withField("tags", "[1]");
        QTest::newRow("profile without isVerified") << withField("profile", R"({"id":"p"})");
        QTest::newRow("category sortOrder null") << withField("category", R"({"id":"c","name":"n","icon":"i","sortOrder":null})");
        QTest::newRow("title map with a number") << withField("localizedTitles", R"({"de":1})");
        QTest::newRow("element not an object") << QByteArray("[1]");
        QTest::newRow("object at the top") << QByteArray("{}");
        QTest::newRow("garbage after") << QByteArray("[] x");
        QTest::newRow("unclosed") << QByteArray("[{\"id\":");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("invalid UTF-8") << withField("title", "\"\xC3\x28\"");
        QTest::newRow("bad atom in an unknown key") << withField("extra", "tru");
        QTest::newRow("deep nesting in an unknown key")
            << withField("extra", QByteArray(2000, '[') + QByteArray(2000, ']'));
    }

    void agreesWithQtDecoding()
    {
        QFETCH(QByteArray, json);
        QCOMPARE(CatalogueArray::decode(json), decodedByQt(json));
        for (const QByteArray& many : amongMany(json))
            QCOMPARE(CatalogueArray::decode(many), decodedByQt(many));
    }

    // Long arrays are read in waves, the first of 16,384 records: a bad element
    // is found wherever it stands, and good ones all come through in order.
    void longArraysReadInWaves_data()
    {
        QTest::addColumn<int>("badAt"); // -1: none
        QTest::newRow("all records") << -1;
        QTest::newRow("last of the first wave") << 16383;
        QTest::newRow("first of the second wave") << 16384;
        QTest::newRow("last") << 19999;
    }

    void longArraysReadInWaves()
    {
        QFETCH(int, badAt);
        QList<APIWallpaper> many;
        QByteArray json = "[";
        for (int i = 0; i < 20000; ++i) {
            APIWallpaper record = catalogueSamples().at(i % 3);
            record.id = QString::number(i);
            many.append(record);
            if (i > 0)
                json += i % 7 == 0 ? " ,\n " : ",";
            if (i == badAt)
                json += R"({"id":"bad"})";
            else
                CatalogueWriter::append(json, record);
        }
        json += "]";
        QCOMPARE(CatalogueArray::decode(json), badAt < 0 ? std::optional(many) : std::nullopt);
    }

    void repeatedTextsAreShared()
    {
        const QList<APIWallpaper> records
            = CatalogueArray::decode(streamed({catalogueSamples().at(0), catalogueSamples().at(0)})).value();
        QCOMPARE(records.at(0).category.name.constData(), records.at(1).category.name.constData());
        QCOMPARE(records.at(0).tags.at(1).constData(), records.at(1).tags.at(1).constData());
        QCOMPARE(records.at(0).profile.id.constData(), records.at(1).profile.id.constData());
    }

    // A parser reuses its buffer from one element to the next: the table must
    // not keep pointing at bytes that now hold another text.
    void sharedTextsOutliveTheirBytes()
    {
        SharedStrings shared;
        std::string bytes = "Nature";
        const QString first = shared.text(bytes);
        bytes[5] = 'a';
        QCOMPARE(shared.text(bytes), QString("Natura"));
        QCOMPARE(shared.text("Nature").constData(), first.constData());
        QCOMPARE(first, QString("Nature"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogueJson)
#include "tst_cataloguejson.moc"
