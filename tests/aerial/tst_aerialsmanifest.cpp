#include "AerialsManifest.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString lantoCategory = QStringLiteral("DA000000-0000-4000-8000-000000000001");
const QString lantoSubcategory = QStringLiteral("DA000000-0000-4000-8000-000000000002");

// JSON written with single quotes, which keeps the texts below readable.
QJsonObject json(const char* text) { return QJsonDocument::fromJson(QByteArray(text).replace('\'', '"')).object(); }

QJsonObject lantoAsset(const QString& id)
{
    return AerialsManifest::assetEntry(id, "LANTO_1", "T", "http://v/" + id, "http://t/" + id);
}

// Whatever the manifest holds besides this system's entries.
QJsonObject foreignManifest()
{
    return json("{"
                "'assets': [{'id': 'F1', 'shotID': 'OTHER_50', 'categories': ['C9']}],"
                "'categories': [{'id': 'C9', 'localizedNameKey': 'Other'}],"
                "'version': 3,"
                "'extra': {'kept': [1, 2]}"
                "}");
}

QStringList ids(const QJsonArray& entries)
{
    QStringList result;
    for (const QJsonValue& entry : entries)
        result.append(entry.toObject().value("id").toString());
    return result;
}

} // namespace

class AerialsManifestTest : public QObject
{
    Q_OBJECT

private slots:
    void nextShotIDFollowsTheLargestOfThisSystem_data()
    {
        QTest::addColumn<QJsonArray>("shotIDs");
        QTest::addColumn<QString>("next");
        QTest::newRow("none") << QJsonArray() << "LANTO_1";
        QTest::newRow("mixed") << QJsonArray { "LANTO_2", "LANTO_10", "LANTO_x", "LANTO_", "OTHER_50" } << "LANTO_11";
        QTest::newRow("gaps are not filled") << QJsonArray { "LANTO_7", "LANTO_1" } << "LANTO_8";
        QTest::newRow("plus sign") << QJsonArray { "LANTO_+5" } << "LANTO_6";
        QTest::newRow("negative") << QJsonArray { "LANTO_-3" } << "LANTO_-2";
        QTest::newRow("malformed") << QJsonArray { "LANTO_+-3", "LANTO_ 4", "LANTO_4 ", "LANTO_--1", "LANTO_1e3",
            "lanto_9" } << "LANTO_1";
        QTest::newRow("not text") << QJsonArray { 12, QJsonValue::Null } << "LANTO_1";
        QTest::newRow("beyond 64 bits is ignored")
            << QJsonArray { "LANTO_3", "LANTO_9223372036854775808" } << "LANTO_4";
        QTest::newRow("largest 64-bit number takes the smallest free one")
            << QJsonArray { "LANTO_9223372036854775807", "LANTO_1", "LANTO_2", "LANTO_4" } << "LANTO_3";
    }

    void nextShotIDFollowsTheLargestOfThisSystem()
    {
        QFETCH(QJsonArray, shotIDs);
        QFETCH(QString, next);
        QJsonArray assets;
        for (const QJsonValue& shotID : shotIDs)
            assets.append(QJsonObject { { "id", "X" }, { "shotID", shotID } });
        assets.append(QJsonObject { { "id", "no shot id" } });
        QCOMPARE(AerialsManifest(QJsonObject { { "assets", assets } }).nextShotID(), next);
    }

    void freshManifestGainsTheAssetAndThisSystemsCategory()
    {
        AerialsManifest manifest;
        const QString id = "A1";
        manifest.appendAsset(AerialsManifest::assetEntry(id, "LANTO_1", "Sea", "http://v", "http://t"));
        manifest.ensureCategory(id);

        const QJsonObject expected
            = json("{"
                   "'assets': [{"
                   "'id': 'A1', 'shotID': 'LANTO_1', 'accessibilityLabel': 'Sea', 'localizedNameKey': 'Sea',"
                   "'previewImage': 'http://t', 'url-4K-SDR-240FPS': 'http://v', 'showInTopLevel': true,"
                   "'includeInShuffle': true, 'preferredOrder': 0,"
                   "'categories': ['DA000000-0000-4000-8000-000000000001'],"
                   "'subcategories': ['DA000000-0000-4000-8000-000000000002'],"
                   "'pointsOfInterest': {'0': 'LANTO_1_0'}"
                   "}],"
                   "'categories': [{"
                   "'id': 'DA000000-0000-4000-8000-000000000001', 'localizedNameKey': 'Lanto',"
                   "'localizedDescriptionKey': 'Custom wallpapers from Lanto', 'representativeAssetID': 'A1',"
                   "'previewImage': '', 'preferredOrder': 0,"
                   "'subcategories': [{"
                   "'id': 'DA000000-0000-4000-8000-000000000002', 'localizedNameKey': 'Lanto',"
                   "'localizedDescriptionKey': 'Custom wallpapers from Lanto', 'representativeAssetID': 'A1',"
                   "'previewImage': '', 'preferredOrder': 0"
                   "}]"
                   "}],"
                   "'version': 1"
                   "}");
        QCOMPARE(manifest.root(), expected);
    }

    void existingCategoryGetsARepresentativeOnlyWhenItHasNone_data()
    {
        QTest::addColumn<QJsonValue>("representative");
        QTest::addColumn<bool>("changes");
        QTest::newRow("set") << QJsonValue("OLD") << false;
        QTest::newRow("empty") << QJsonValue("") << true;
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << true;
        QTest::newRow("not text") << QJsonValue(5) << true;
    }

    void existingCategoryGetsARepresentativeOnlyWhenItHasNone()
    {
        QFETCH(QJsonValue, representative);
        QFETCH(bool, changes);
        // The first subcategory follows the category whatever it holds itself.
        QJsonObject category { { "id", lantoCategory }, { "previewImage", "old.png" }, { "custom", 1 },
            { "subcategories",
                QJsonArray { QJsonObject { { "id", lantoSubcategory }, { "previewImage", "old.png" },
                                 { "representativeAssetID", "SUB" } },
                    QJsonObject { { "id", "second" } } } } };
        if (!representative.isUndefined())
            category.insert("representativeAssetID", representative);
        AerialsManifest manifest(QJsonObject { { "categories", QJsonArray { category } } });

        manifest.ensureCategory("NEW");

        QCOMPARE(manifest.categories().size(), 1);
        const QJsonObject after = manifest.categories().first().toObject();
        if (!changes) {
            QCOMPARE(after, category);
            return;
        }
        QCOMPARE(after.value("representativeAssetID"), "NEW");
        QCOMPARE(after.value("previewImage"), "");
        QCOMPARE(after.value("custom"), 1);
        const QJsonArray children = after.value("subcategories").toArray();
        QCOMPARE(children.at(0).toObject().value("representativeAssetID"), "NEW");
        QCOMPARE(children.at(0).toObject().value("previewImage"), "");
        QCOMPARE(children.at(1).toObject(), QJsonObject({ { "id", "second" } }));
    }

    void removalRepointsTheCategoryAndKeepsForeignEntriesInOrder()
    {
        QJsonObject root = foreignManifest();
        AerialsManifest manifest(root);
        for (const char* id : { "A1", "A2", "A3" })
            manifest.appendAsset(lantoAsset(id));
        manifest.ensureCategory("A1");
        root = manifest.root();

        manifest.removeAsset("A1");

        QCOMPARE(ids(manifest.assets()), QStringList({ "F1", "A2", "A3" }));
        QCOMPARE(ids(manifest.categories()), QStringList({ "C9", lantoCategory }));
        const QJsonObject category = manifest.lantoCategory();
        QCOMPARE(category.value("representativeAssetID"), "A2");
        QCOMPARE(category.value("previewImage"), "http://t/A2");
        const QJsonObject child = category.value("subcategories").toArray().first().toObject();
        QCOMPARE(child.value("representativeAssetID"), "A2");
        QCOMPARE(child.value("previewImage"), "http://t/A2");
        QCOMPARE(manifest.root().value("extra"), root.value("extra"));
        QCOMPARE(manifest.root().value("version"), 3);
        QCOMPARE(manifest.assets().first(), root.value("assets").toArray().first());
    }

    void removingTheLastAssetDropsTheCategory()
    {
        AerialsManifest manifest(foreignManifest());
        manifest.appendAsset(lantoAsset("A1"));
        manifest.ensureCategory("A1");
        // An asset that only names the category in a foreign way does not keep it.
        manifest.appendAsset(QJsonObject { { "id", "F2" }, { "categories", lantoCategory } });

        manifest.removeAsset("A1");
        QCOMPARE(ids(manifest.assets()), QStringList({ "F1", "F2" }));
        QCOMPARE(ids(manifest.categories()), QStringList { "C9" });

        AerialsManifest alone;
        alone.appendAsset(lantoAsset("A1"));
        alone.ensureCategory("A1");
        alone.removeAsset("A1");
        QVERIFY(alone.root().value("categories").isArray());
        QVERIFY(alone.categories().isEmpty());
    }

    void listsThatAreNotArraysCountAsEmpty()
    {
        const QJsonObject root = json("{'assets': {'id': 'A'}, 'categories': 'x'}");
        AerialsManifest manifest(root);
        QVERIFY(manifest.assets().isEmpty());
        QVERIFY(manifest.categories().isEmpty());
        QVERIFY(!manifest.hasAsset("A"));
        // A removal has nothing to take from them, and leaves them as they are.
        manifest.removeAsset("A");
        QCOMPARE(manifest.root(), root);
        AerialsManifest categoriesOnly(json("{'assets': [{'id': 'A'}], 'categories': 'x'}"));
        categoriesOnly.removeAsset("A");
        QCOMPARE(categoriesOnly.root(), json("{'assets': [], 'categories': 'x'}"));
    }

    void elementsThatAreNotObjectsSurviveEveryChange()
    {
        AerialsManifest manifest(json("{'assets': [{'id': 'F1'}, 3, 'x', null],"
                                      " 'categories': [[1], {'id': 'C9'}]}"));
        QVERIFY(manifest.hasAsset("F1"));
        manifest.appendAsset(lantoAsset("A1"));
        manifest.ensureCategory("A1");
        manifest.appendAsset(lantoAsset("A2"));
        manifest.removeAsset("A1");

        QCOMPARE(manifest.assets(), QJsonArray({ QJsonObject { { "id", "F1" } }, 3, "x", QJsonValue::Null,
                                        lantoAsset("A2") }));
        QCOMPARE(manifest.categories().first(), QJsonArray { 1 });
        QCOMPARE(ids(manifest.categories()), QStringList({ "", "C9", lantoCategory }));
        QCOMPARE(manifest.lantoCategory().value("representativeAssetID"), "A2");
    }

    void filesAreReadAndWrittenWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("aerials/manifest/entries.json");
        using Status = AerialsManifestFile::ReadResult::Status;
        auto result = AerialsManifestFile::read(path);
        QCOMPARE(result.status, Status::Missing);
        QCOMPARE(result.manifest.root(), json("{'assets': [], 'categories': [], 'version': 1}"));

        QString error;
        QVERIFY(AerialsManifestFile::write(path, AerialsManifest(foreignManifest()), &error));
        result = AerialsManifestFile::read(path);
        QCOMPARE(result.status, Status::Read);
        QCOMPARE(result.manifest.root(), foreignManifest());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("\n    \"assets\""));
        QVERIFY(bytes.indexOf("\"assets\"") < bytes.indexOf("\"categories\""));
        QVERIFY(bytes.indexOf("\"extra\"") < bytes.indexOf("\"version\""));
        file.close();

        const QList<std::pair<QByteArray, Status>> broken {
            { "[1, 2]", Status::NotAnObject },
            { "{\"assets\": [", Status::Unreadable },
            { "", Status::Unreadable },
        };
        for (const auto& [content, status] : broken) {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
            file.close();
            result = AerialsManifestFile::read(path);
            QCOMPARE(result.status, status);
            QCOMPARE(result.error.isEmpty(), status == Status::NotAnObject);
        }
    }
};

QTEST_GUILESS_MAIN(AerialsManifestTest)
#include "tst_aerialsmanifest.moc"
