#include "APIWallpaper.h"

#include <QtTest>

namespace {

QJsonObject parse(const char* json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("bad fixture: %s", qPrintable(error.errorString()));
    return document.object();
}

// A catalogue item with only its required keys.
QJsonObject requiredOnly()
{
    return QJsonObject{
        {"id", "0123456789abcdef01234567"},
        {"title", "Northern Lights"},
        {"type", "video"},
        {"resolutionWidth", 3840},
        {"resolutionHeight", 2160},
        {"fileSize", Q_INT64_C(5000000000)},
        {"thumbnailPath", "https://cdn.example/t.jpg"},
        {"contentPath", "https://cdn.example/c.mov"},
        {"downloadCount", 12},
        {"favoriteCount", 3},
        {"applyCount", 7},
        {"createdAt", "2020-01-01T00:00:00Z"},
        {"updatedAt", "2020-01-02T00:00:00Z"},
        {"profile", QJsonObject{{"id", "00112233445566778899aabbccddeeff"}, {"isVerified", false}}},
        {"category", QJsonObject{{"id", "c1"}, {"name", "Nature"}, {"icon", "leaf"}}},
        {"tags", QJsonArray{"t1", "t2"}},
    };
}

// The same item with every optional key set, and keys no record lists.
QJsonObject complete()
{
    QJsonObject object = requiredOnly();
    const QJsonObject extra{
        {"previewColors", QJsonArray{"#FF8800", "112233"}},
        {"posterPath", "https://cdn.example/p.png"},
        {"previewClipPath", "https://cdn.example/v.mov"},
        {"trendCount", 42},
        {"localizedTitles", QJsonObject{{"de", "Nordlichter"}, {"pt-BR", "Aurora"}}},
        {"status", "approved"},
        {"profile", QJsonObject{{"id", "00112233445566778899aabbccddeeff"}, {"name", "Mira"},
                                {"avatarUrl", "https://cdn.example/a.png"}, {"isVerified", true},
                                {"bio", "ignored"}}},
        {"category", QJsonObject{{"id", "c1"}, {"name", "Nature"}, {"icon", "leaf"}, {"sortOrder", 2},
                                 {"createdAt", "2019-05-05T00:00:00Z"}, {"color", "green"}}},
        {"likes", 5},
        {"newField", QJsonObject{{"nested", QJsonArray{1, 2, 3}}}},
    };
    for (auto it = extra.begin(); it != extra.end(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

const QStringList optionalWallpaperKeys{"previewColors", "posterPath", "previewClipPath",
                                        "trendCount", "localizedTitles", "status"};

} // namespace

class TestAPIWallpaper : public QObject
{
    Q_OBJECT

private slots:
    void decodesEveryField();
    void optionalFieldsMayBeAbsentOrNull_data();
    void optionalFieldsMayBeAbsentOrNull();
    void everyRequiredKeyMustBePresent_data();
    void everyRequiredKeyMustBePresent();
    void wrongTypesFail_data();
    void wrongTypesFail();
    void integralNumbersAreIntegers();
    void encodesAndDecodesBackUnchanged();
    void encodingLeavesAbsentFieldsOut();
    void profileWithoutNameRoundTrips();
};

void TestAPIWallpaper::decodesEveryField()
{
    const std::optional<APIWallpaper> decoded = APIWallpaper::fromJson(complete());
    QVERIFY(decoded);
    const APIWallpaper& w = *decoded;
    QCOMPARE(w.id, QStringLiteral("0123456789abcdef01234567"));
    QCOMPARE(w.title, QStringLiteral("Northern Lights"));
    QCOMPARE(w.type, QStringLiteral("video"));
    QCOMPARE(w.resolutionWidth, 3840);
    QCOMPARE(w.resolutionHeight, 2160);
    QCOMPARE(w.fileSize, Q_INT64_C(5000000000));
    QCOMPARE(w.thumbnailPath, QStringLiteral("https://cdn.example/t.jpg"));
    QCOMPARE(w.contentPath, QStringLiteral("https://cdn.example/c.mov"));
    QCOMPARE(w.previewColors, QStringList({"#FF8800", "112233"}));
    QCOMPARE(w.downloadCount, 12);
    QCOMPARE(w.favoriteCount, 3);
    QCOMPARE(w.applyCount, 7);
    QCOMPARE(w.createdAt, QStringLiteral("2020-01-01T00:00:00Z"));
    QCOMPARE(w.updatedAt, QStringLiteral("2020-01-02T00:00:00Z"));
    QCOMPARE(w.posterPath, QStringLiteral("https://cdn.example/p.png"));
    QCOMPARE(w.previewClipPath, QStringLiteral("https://cdn.example/v.mov"));
    QCOMPARE(w.tags, QStringList({"t1", "t2"}));
    QCOMPARE(w.trendCount, 42);
    QCOMPARE(w.localizedTitles, (QMap<QString, QString>{{"de", "Nordlichter"}, {"pt-BR", "Aurora"}}));
    QCOMPARE(w.status, QStringLiteral("approved"));

    QCOMPARE(w.profile.id, QStringLiteral("00112233445566778899aabbccddeeff"));
    QCOMPARE(w.profile.name, QStringLiteral("Mira"));
    QCOMPARE(w.profile.avatarUrl, QStringLiteral("https://cdn.example/a.png"));
    QCOMPARE(w.profile.isVerified, true);

    QCOMPARE(w.category.id, QStringLiteral("c1"));
    QCOMPARE(w.category.name, QStringLiteral("Nature"));
    QCOMPARE(w.category.icon, QStringLiteral("leaf"));
    QCOMPARE(w.category.sortOrder, 2);
    QCOMPARE(w.category.createdAt, QStringLiteral("2019-05-05T00:00:00Z"));
}

void TestAPIWallpaper::optionalFieldsMayBeAbsentOrNull_data()
{
    QTest::addColumn<bool>("asNull");
    QTest::newRow("absent") << false;
    QTest::newRow("null") << true;
}

void TestAPIWallpaper::optionalFieldsMayBeAbsentOrNull()
{
    QFETCH(bool, asNull);
    QJsonObject object = complete();
    QJsonObject profile = object.value("profile").toObject();
    QJsonObject category = object.value("category").toObject();
    const auto clear = [asNull](QJsonObject& target, const QStringList& keys) {
        for (const QString& key : keys) {
            if (asNull)
                target.insert(key, QJsonValue::Null);
            else
                target.remove(key);
        }
    };
    clear(object, optionalWallpaperKeys);
    clear(profile, {"name", "avatarUrl"});
    clear(category, {"sortOrder", "createdAt"});
    object.insert("profile", profile);
    object.insert("category", category);

    const std::optional<APIWallpaper> decoded = APIWallpaper::fromJson(object);
    QVERIFY(decoded);
    QVERIFY(!decoded->previewColors);
    QVERIFY(!decoded->posterPath);
    QVERIFY(!decoded->previewClipPath);
    QVERIFY(!decoded->trendCount);
    QVERIFY(!decoded->localizedTitles);
    QVERIFY(!decoded->status);
    QVERIFY(!decoded->profile.name);
    QVERIFY(!decoded->profile.avatarUrl);
    QVERIFY(!decoded->category.sortOrder);
    QVERIFY(!decoded->category.createdAt);
}

void TestAPIWallpaper::everyRequiredKeyMustBePresent_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("key");

    for (const QString& key : requiredOnly().keys())
        QTest::newRow(qPrintable(key)) << QString() << key;
    for (const char* key : {"id", "isVerified"})
        QTest::newRow(qPrintable(QStringLiteral("profile.") + key)) << "profile" << key;
    for (const char* key : {"id", "name", "icon"})
        QTest::newRow(qPrintable(QStringLiteral("category.") + key)) << "category" << key;
}

void TestAPIWallpaper::everyRequiredKeyMustBePresent()
{
    QFETCH(QString, object);
    QFETCH(QString, key);
    QJsonObject item = requiredOnly();
    QVERIFY(APIWallpaper::fromJson(item));
    if (object.isEmpty()) {
        item.remove(key);
    } else {
        QJsonObject nested = item.value(object).toObject();
        nested.remove(key);
        item.insert(object, nested);
    }
    QVERIFY(!APIWallpaper::fromJson(item));

    // A required key set to null is no better than a missing one.
    item = requiredOnly();
    if (object.isEmpty()) {
        item.insert(key, QJsonValue::Null);
    } else {
        QJsonObject nested = item.value(object).toObject();
        nested.insert(key, QJsonValue::Null);
        item.insert(object, nested);
    }
    QVERIFY(!APIWallpaper::fromJson(item));
}

void TestAPIWallpaper::wrongTypesFail_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value");

    QTest::newRow("integer with fraction") << "resolutionWidth" << QJsonValue(1920.5);
    QTest::newRow("integer as text") << "fileSize" << QJsonValue("5000000000");
    QTest::newRow("integer as boolean") << "downloadCount" << QJsonValue(true);
    QTest::newRow("integer beyond 64 bits") << "fileSize" << QJsonValue(1e19);
    QTest::newRow("text as number") << "id" << QJsonValue(5);
    QTest::newRow("text as array") << "title" << QJsonValue(QJsonArray{"a"});
    QTest::newRow("tags as text") << "tags" << QJsonValue("t1");
    QTest::newRow("tag as number") << "tags" << QJsonValue(QJsonArray{"t1", 2});
    QTest::newRow("tag as null") << "tags" << QJsonValue(QJsonArray{"t1", QJsonValue::Null});
    QTest::newRow("profile as text") << "profile" << QJsonValue("Mira");
    QTest::newRow("profile verified as number")
        << "profile" << QJsonValue(QJsonObject{{"id", "p"}, {"isVerified", 1}});
    QTest::newRow("profile name as number")
        << "profile" << QJsonValue(QJsonObject{{"id", "p"}, {"isVerified", true}, {"name", 3}});
    QTest::newRow("category sort order with fraction")
        << "category" << QJsonValue(QJsonObject{{"id", "c"}, {"name", "n"}, {"icon", "i"}, {"sortOrder", 1.5}});
    QTest::newRow("category as array") << "category" << QJsonValue(QJsonArray{});
    QTest::newRow("optional colours as text") << "previewColors" << QJsonValue("#FF8800");
    QTest::newRow("optional colour as number") << "previewColors" << QJsonValue(QJsonArray{0xFF8800});
    QTest::newRow("optional trend count as text") << "trendCount" << QJsonValue("3");
    QTest::newRow("optional titles as array") << "localizedTitles" << QJsonValue(QJsonArray{"de"});
    QTest::newRow("optional title as number") << "localizedTitles" << QJsonValue(QJsonObject{{"de", 1}});
    QTest::newRow("optional status as boolean") << "status" << QJsonValue(false);
}

void TestAPIWallpaper::wrongTypesFail()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);
    QJsonObject item = requiredOnly();
    item.insert(key, value);
    QVERIFY(!APIWallpaper::fromJson(item));
}

void TestAPIWallpaper::integralNumbersAreIntegers()
{
    QJsonObject item = requiredOnly();
    // Parsed from text, as numbers arrive from the service.
    const QJsonObject numbers = parse("{\"resolutionWidth\": 1920.0, \"resolutionHeight\": 1e3,"
                                      " \"fileSize\": 9223372036854775807, \"downloadCount\": -4}");
    for (auto it = numbers.begin(); it != numbers.end(); ++it)
        item.insert(it.key(), it.value());
    const std::optional<APIWallpaper> decoded = APIWallpaper::fromJson(item);
    QVERIFY(decoded);
    QCOMPARE(decoded->resolutionWidth, 1920);
    QCOMPARE(decoded->resolutionHeight, 1000);
    QCOMPARE(decoded->fileSize, std::numeric_limits<qint64>::max());
    QCOMPARE(decoded->downloadCount, -4);
}

void TestAPIWallpaper::encodesAndDecodesBackUnchanged()
{
    for (const QJsonObject& source : {requiredOnly(), complete()}) {
        const std::optional<APIWallpaper> decoded = APIWallpaper::fromJson(source);
        QVERIFY(decoded);
        const QByteArray text = QJsonDocument(decoded->toJson()).toJson(QJsonDocument::Compact);
        QVERIFY(text.contains("\"fileSize\":5000000000"));
        const std::optional<APIWallpaper> again = APIWallpaper::fromJson(QJsonDocument::fromJson(text).object());
        QVERIFY(again);
        QVERIFY(*again == *decoded);
    }
}

void TestAPIWallpaper::encodingLeavesAbsentFieldsOut()
{
    const std::optional<APIWallpaper> decoded = APIWallpaper::fromJson(requiredOnly());
    QVERIFY(decoded);
    const QJsonObject encoded = decoded->toJson();
    QCOMPARE(encoded, requiredOnly());
    for (const QString& key : optionalWallpaperKeys)
        QVERIFY2(!encoded.contains(key), qPrintable(key));
}

void TestAPIWallpaper::profileWithoutNameRoundTrips()
{
    APIProfile profile;
    profile.id = "00112233445566778899aabbccddeeff";
    profile.isVerified = true;
    const QJsonObject encoded = profile.toJson();
    QCOMPARE(encoded, (QJsonObject{{"id", profile.id}, {"isVerified", true}}));
    const std::optional<APIProfile> decoded = APIProfile::fromJson(encoded);
    QVERIFY(decoded);
    QVERIFY(*decoded == profile);
}

QTEST_GUILESS_MAIN(TestAPIWallpaper)
#include "tst_apiwallpaper.moc"
