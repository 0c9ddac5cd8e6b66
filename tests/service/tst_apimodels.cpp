#include "APIModels.h"
#include "APIResponse.h"

#include <QtTest>

namespace {

QByteArray compact(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

QJsonObject catalogueItem(const QString& id)
{
    return QJsonObject {
        { "id", id },
        { "title", "Dunes" },
        { "type", "video" },
        { "resolutionWidth", 3840 },
        { "resolutionHeight", 2160 },
        { "fileSize", Q_INT64_C(5000000000) },
        { "thumbnailPath", "https://cdn.example/t.jpg" },
        { "contentPath", "https://cdn.example/c.mov" },
        { "downloadCount", 1 },
        { "favoriteCount", 2 },
        { "applyCount", 3 },
        { "createdAt", "2024-01-01T00:00:00Z" },
        { "updatedAt", "2024-01-02T00:00:00Z" },
        { "profile", QJsonObject { { "id", "p1" }, { "isVerified", true } } },
        { "category", QJsonObject { { "id", "c1" }, { "name", "Nature" }, { "icon", "leaf" } } },
        { "tags", QJsonArray { "t1" } },
    };
}

QJsonObject userProfile()
{
    return QJsonObject { { "id", "u1" }, { "name", "Ada" }, { "isVerified", false }, { "wallpaperCount", 4 },
        { "followerCount", 9000 }, { "createdAt", "2024-03-01T10:00:00Z" } };
}

QJsonObject without(QJsonObject object, const QString& key)
{
    object.remove(key);
    return object;
}

QJsonObject with(QJsonObject object, const QString& key, const QJsonValue& value)
{
    object.insert(key, value);
    return object;
}

} // namespace

class TestAPIModels : public QObject
{
    Q_OBJECT

private slots:
    void envelopeDecoding_data();
    void envelopeDecoding();
    void envelopePayloadJudging_data();
    void envelopePayloadJudging();
    void discoverRows();
    void tagRules_data();
    void tagRules();
    void userProfileRules_data();
    void userProfileRules();
    void codeExchangeWithAndWithoutProfile();
    void mapPayloads();
    void submissionCreateWritesEveryKey();
};

void TestAPIModels::envelopeDecoding_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<bool>("hasData");
    QTest::addColumn<QString>("error");

    const QJsonObject profile = userProfile();
    QTest::newRow("only ok") << QByteArray(R"({"ok":true})") << true << false << QString();
    QTest::newRow("data and error") << compact({ { "ok", false }, { "data", profile }, { "error", "nope" } }) << true
                                    << true << "nope";
    QTest::newRow("null data and error") << QByteArray(R"({"ok":true,"data":null,"error":null})") << true << false
                                         << QString();
    QTest::newRow("unknown keys") << compact({ { "ok", true }, { "data", profile }, { "requestId", 7 } }) << true
                                  << true << QString();
    QTest::newRow("without ok") << compact({ { "data", profile }, { "error", "x" } }) << false << false << QString();
    QTest::newRow("ok as text") << QByteArray(R"({"ok":"true"})") << false << false << QString();
    QTest::newRow("data of another shape") << QByteArray(R"({"ok":true,"data":[1]})") << false << false << QString();
    QTest::newRow("data missing a key") << compact({ { "ok", true }, { "data", without(profile, "name") } }) << false
                                        << false << QString();
    QTest::newRow("error not text") << QByteArray(R"({"ok":false,"error":5})") << false << false << QString();
    QTest::newRow("array body") << QByteArray("[]") << false << false << QString();
    QTest::newRow("empty body") << QByteArray() << false << false << QString();
    QTest::newRow("not JSON") << QByteArray("<html>") << false << false << QString();
}

void TestAPIModels::envelopeDecoding()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, decodes);
    QFETCH(bool, hasData);
    QFETCH(QString, error);

    const Result<APIResponse<UserProfile>> response = APIResponse<UserProfile>::decode(body);
    QCOMPARE(response.ok(), decodes);
    if (!decodes) {
        QVERIFY(response.error().as<DecodingError>());
        return;
    }
    QCOMPARE(response.value().data.has_value(), hasData);
    QCOMPARE(response.value().error.value_or(QString()), error);
}

void TestAPIModels::envelopePayloadJudging_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("failure"); // empty: the payload comes back

    const QJsonObject profile = userProfile();
    QTest::newRow("ok with data") << compact({ { "ok", true }, { "data", profile } }) << QString();
    QTest::newRow("ok without data") << QByteArray(R"({"ok":true})") << "Unknown error";
    QTest::newRow("ok without data, with error") << QByteArray(R"({"ok":true,"error":"later"})") << "later";
    QTest::newRow("not ok, complete data") << compact({ { "ok", false }, { "data", profile } }) << "Unknown error";
    QTest::newRow("not ok, error text") << QByteArray(R"({"ok":false,"error":"Handle taken"})") << "Handle taken";
}

void TestAPIModels::envelopePayloadJudging()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, failure);

    const Result<UserProfile> payload = decodePayload<UserProfile>(body, QStringLiteral("Unknown error"));
    QCOMPARE(payload.ok(), failure.isEmpty());
    if (payload) {
        QCOMPARE(payload.value().name, QStringLiteral("Ada"));
        return;
    }
    QCOMPARE(payload.error(), ServiceError(APIError::serverError(failure)));
    QCOMPARE(payload.error().description(), failure);
}

void TestAPIModels::discoverRows()
{
    const QJsonArray row { catalogueItem("a1"), catalogueItem("b2") };
    const QJsonObject rows { { "featured", row }, { "todaysPicks", row }, { "trending", row },
        { "newThisWeek", QJsonArray {} } };

    const std::optional<DiscoverResponse> withoutFree = DiscoverResponse::fromJson(rows);
    QVERIFY(withoutFree);
    QVERIFY(!withoutFree->free);
    QCOMPARE(withoutFree->featured.size(), 2);
    QCOMPARE(withoutFree->featured[1].id, QStringLiteral("b2"));
    QCOMPARE(withoutFree->featured[0].fileSize, Q_INT64_C(5000000000));

    const std::optional<DiscoverResponse> withFree = DiscoverResponse::fromJson(with(rows, "free", row));
    QVERIFY(withFree && withFree->free);
    QCOMPARE(withFree->free->size(), 2);

    QVERIFY(!DiscoverResponse::fromJson(without(rows, "trending")));
    // One item without tags sinks the whole row, and with it the response.
    const QJsonArray broken { catalogueItem("a1"), without(catalogueItem("b2"), "tags") };
    QVERIFY(!DiscoverResponse::fromJson(with(rows, "featured", broken)));
    QVERIFY(!WallpapersResponse::fromJson({ { "wallpapers", broken }, { "page", 1 } }));
    QVERIFY(!WallpapersResponse::fromJson({ { "wallpapers", row }, { "page", 1.5 } }));
    QVERIFY(MyWallpapersResponse::fromJson({ { "wallpapers", row } }));
}

void TestAPIModels::tagRules_data()
{
    QTest::addColumn<QJsonObject>("object");
    QTest::addColumn<bool>("decodes");

    const QJsonObject tag { { "id", "t1" }, { "name", "Rain" }, { "groupName", "Weather" }, { "sortOrder", 3 } };
    QTest::newRow("without parent") << tag << true;
    QTest::newRow("null parent") << with(tag, "parentId", QJsonValue::Null) << true;
    QTest::newRow("with parent") << with(tag, "parentId", "t0") << true;
    QTest::newRow("sortOrder missing") << without(tag, "sortOrder") << false;
    QTest::newRow("sortOrder fraction") << with(tag, "sortOrder", 3.5) << false;
    QTest::newRow("sortOrder text") << with(tag, "sortOrder", "3") << false;
    QTest::newRow("groupName missing") << without(tag, "groupName") << false;
    QTest::newRow("parent not text") << with(tag, "parentId", 1) << false;
}

void TestAPIModels::tagRules()
{
    QFETCH(QJsonObject, object);
    QFETCH(bool, decodes);

    const std::optional<APITag> tag = APITag::fromJson(object);
    QCOMPARE(tag.has_value(), decodes);
    if (tag)
        QCOMPARE(tag->parentId,
            object.contains("parentId") && !object["parentId"].isNull()
                ? std::optional<QString>(object["parentId"].toString())
                : std::nullopt);
}

void TestAPIModels::userProfileRules_data()
{
    QTest::addColumn<QJsonObject>("object");
    QTest::addColumn<bool>("decodes");

    QTest::newRow("required only") << userProfile() << true;
    QTest::newRow("every optional") << with(with(with(userProfile(), "handle", "ada"), "bio", "hi"), "email", "a@b.c")
                                    << true;
    QTest::newRow("null handle") << with(userProfile(), "handle", QJsonValue::Null) << true;
    QTest::newRow("createdAt missing") << without(userProfile(), "createdAt") << false;
    QTest::newRow("createdAt a number") << with(userProfile(), "createdAt", 1700000000) << false;
    QTest::newRow("isVerified as 0") << with(userProfile(), "isVerified", 0) << false;
    QTest::newRow("count as text") << with(userProfile(), "followerCount", "9000") << false;
}

void TestAPIModels::userProfileRules()
{
    QFETCH(QJsonObject, object);
    QFETCH(bool, decodes);

    const std::optional<UserProfile> profile = UserProfile::fromJson(object);
    QCOMPARE(profile.has_value(), decodes);
    if (!profile)
        return;
    QCOMPARE(profile->createdAt, QStringLiteral("2024-03-01T10:00:00Z")); // kept as text
    QCOMPARE(profile->handle.has_value(), object.contains("handle") && !object["handle"].isNull());
}

void TestAPIModels::codeExchangeWithAndWithoutProfile()
{
    const QJsonObject bare { { "sessionToken", "tok" }, { "profileId", "p1" }, { "appleUserID", "001.abc" } };
    const std::optional<AuthCodeExchangeResponse> withoutProfile = AuthCodeExchangeResponse::fromJson(bare);
    QVERIFY(withoutProfile);
    QVERIFY(!withoutProfile->profile);
    QCOMPARE(withoutProfile->appleUserID, QStringLiteral("001.abc"));

    const QJsonObject profile { { "name", "Ada" }, { "isVerified", false }, { "wallpaperCount", 0 },
        { "followerCount", 1 } };
    const std::optional<AuthCodeExchangeResponse> full
        = AuthCodeExchangeResponse::fromJson(with(bare, "profile", profile));
    QVERIFY(full && full->profile);
    QVERIFY(!full->profile->handle);

    // A profile that does not decode fails the exchange, not just the profile.
    QVERIFY(!AuthCodeExchangeResponse::fromJson(with(bare, "profile", without(profile, "name"))));
    QVERIFY(!AuthCodeExchangeResponse::fromJson(without(bare, "appleUserID")));
}

void TestAPIModels::mapPayloads()
{
    const Result<QMap<QString, bool>> flags
        = decodePayload<QMap<QString, bool>>(R"({"ok":true,"data":{"favorited":true}})", QString());
    QVERIFY(flags);
    QCOMPARE(flags.value().value("favorited"), true);
    using Flags = QMap<QString, bool>;
    QVERIFY(!decodePayload<Flags>(R"({"ok":true,"data":{"favorited":1}})", QString()));

    const QJsonObject tag { { "id", "t1" }, { "name", "Rain" }, { "groupName", "Weather" }, { "sortOrder", 3 } };
    const QByteArray tags
        = compact({ { "ok", true }, { "data", QJsonObject { { "Weather", QJsonArray { tag, tag } } } } });
    const Result<QMap<QString, QList<APITag>>> catalogue = decodePayload<QMap<QString, QList<APITag>>>(tags, QString());
    QVERIFY(catalogue);
    QCOMPARE(catalogue.value().value("Weather").size(), 2);
}

void TestAPIModels::submissionCreateWritesEveryKey()
{
    SubmissionCreate body { "Dunes", "nature", "video", 3840, 2160, Q_INT64_C(5000000000) };
    QCOMPARE(body.toJson(),
        (QJsonObject { { "title", "Dunes" }, { "categoryId", "nature" }, { "type", "video" },
            { "resolutionWidth", 3840 }, { "resolutionHeight", 2160 }, { "fileSize", Q_INT64_C(5000000000) } }));
    QVERIFY(compact(body.toJson()).contains("\"fileSize\":5000000000"));
}

QTEST_GUILESS_MAIN(TestAPIModels)
#include "tst_apimodels.moc"
