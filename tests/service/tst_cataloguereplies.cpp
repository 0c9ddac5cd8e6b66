#include "APIModels.h"
#include "CatalogueSamples.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

// The replies that carry catalogue records have a decoder of their own; it
// must read every body exactly as the generic envelope decoder does,
// including which of the two decoding errors a bad body gives.
namespace {

template <typename T> Result<APIResponse<T>> decodedGenerically(const QByteArray& body)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return malformedReply();
    std::optional<APIResponse<T>> response = APIResponse<T>::fromJson(document.object());
    if (!response)
        return wrongShapeReply();
    return std::move(*response);
}

QJsonArray sampleRow()
{
    QJsonArray row;
    for (const APIWallpaper& record : catalogueSamples())
        row.append(record.toJson());
    return row;
}

QByteArray envelope(const QJsonValue& data, const QByteArray& extra = {})
{
    QByteArray body = QJsonDocument(QJsonObject{{"ok", true}, {"data", data}}).toJson(QJsonDocument::Compact);
    body.insert(1, extra);
    return body;
}

QJsonObject discover(const QJsonArray& row)
{
    return {{"featured", row}, {"todaysPicks", row}, {"trending", QJsonArray{}}, {"newThisWeek", row}};
}

template <typename T, typename Rows> void compareDecoders(const QByteArray& body, Rows rowsOf)
{
    const Result<APIResponse<T>> fast = APIResponse<T>::decode(body);
    const Result<APIResponse<T>> generic = decodedGenerically<T>(body);
    QCOMPARE(fast.ok(), generic.ok());
    if (!generic) {
        QCOMPARE(fast.error().description(), generic.error().description());
        return;
    }
    QCOMPARE(fast.value().ok, generic.value().ok);
    QCOMPARE(fast.value().error, generic.value().error);
    QCOMPARE(fast.value().data.has_value(), generic.value().data.has_value());
    if (generic.value().data)
        QCOMPARE(rowsOf(*fast.value().data), rowsOf(*generic.value().data));
}

} // namespace

class TestCatalogueReplies : public QObject
{
    Q_OBJECT

private slots:
    void readLikeTheGenericDecoder_data()
    {
        QTest::addColumn<QByteArray>("body");
        const QJsonArray row = sampleRow();
        QJsonArray broken = row;
        QJsonObject untagged = row.at(1).toObject();
        untagged.remove("tags");
        broken.append(untagged);

        QTest::newRow("rows") << envelope(discover(row));
        QTest::newRow("rows with free") << envelope(QJsonObject(discover(row)).insert("free", row).value());
        QTest::newRow("free null") << envelope(QJsonObject(discover(row)).insert("free", QJsonValue::Null).value());
        QTest::newRow("a row missing") << envelope(QJsonObject{{"featured", row}});
        QTest::newRow("a record without tags") << envelope(discover(broken));
        QTest::newRow("page") << envelope(QJsonObject{{"wallpapers", row}, {"page", 2}});
        QTest::newRow("page number with a fraction") << envelope(QJsonObject{{"wallpapers", row}, {"page", 1.5}});
        QTest::newRow("only ok") << QByteArray(R"({"ok":true})");
        QTest::newRow("failure with error") << QByteArray(R"({"ok":false,"error":"Not found","data":null})");
        QTest::newRow("error not text") << QByteArray(R"({"ok":false,"error":5})");
        QTest::newRow("without ok") << QByteArray(R"({"error":"x"})");
        QTest::newRow("unknown keys") << envelope(discover(row), R"("requestId":[1,{"a":null}],)");
        QTest::newRow("data not an object") << envelope(QJsonArray{1});
        QTest::newRow("array body") << QByteArray("[]");
        QTest::newRow("not JSON") << QByteArray("<html>");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut short") << envelope(discover(row)).chopped(3);
        QTest::newRow("garbage after") << envelope(discover(row)) + " ]";
        QTest::newRow("bad atom before a repeated key") << QByteArray(R"({"ok":tru,"ok":true})");
        QTest::newRow("bad atom in data before a repeated key")
            << QByteArray(R"({"ok":true,"data":{"featured":[n],"featured":[],"todaysPicks":[],"trending":[],"newThisWeek":[]}})");
        // A text followed by a colon, then enough to close the record early.
        QTest::newRow("colon after a text")
            << QByteArray(R"({"ok":true,"data":{"featured":[{"id":"a1","title":"D","type":"video",)"
                          R"("resolutionWidth":1,"resolutionHeight":1,"fileSize":1,"thumbnailPath":"t",)"
                          R"("contentPath":"c","downloadCount":1,"favoriteCount":1,"applyCount":1,"createdAt":"x",)"
                          R"("updatedAt":"x","profile":{"id":"p","isVerified":true},"category":{"id":"c","name":"N",)"
                          R"("icon":"l"},"posterPath":"p": "icon": "ler": 3}, "posterPath":"q","tags":[]}],)"
                          R"("todaysPicks":[],"trending":[],"newThisWeek":[]}})");
    }

    void readLikeTheGenericDecoder()
    {
        QFETCH(QByteArray, body);
        compareDecoders<DiscoverResponse>(body, [](const DiscoverResponse& rows) {
            return QList<QList<APIWallpaper>>{rows.featured, rows.todaysPicks, rows.trending, rows.newThisWeek,
                                              rows.free.value_or(QList<APIWallpaper>{{}})};
        });
        compareDecoders<WallpapersResponse>(body, [](const WallpapersResponse& page) {
            return std::pair(page.wallpapers, page.page);
        });
        compareDecoders<MyWallpapersResponse>(body, [](const MyWallpapersResponse& mine) { return mine.wallpapers; });
    }
};

QTEST_GUILESS_MAIN(TestCatalogueReplies)
#include "tst_cataloguereplies.moc"
