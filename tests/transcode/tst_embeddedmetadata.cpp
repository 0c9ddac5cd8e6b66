#include "TestClip.h"

#include "EmbeddedMetadata.h"
#include "VideoTranscoder.h"

#include <QTemporaryDir>
#include <QtTest>

using Metadata = std::optional<EmbeddedMetadata>;
using Tags = QList<QPair<QByteArray, QByteArray>>;
Q_DECLARE_METATYPE(Metadata)

namespace {

EmbeddedMetadata withCategory(const QString& category)
{
    EmbeddedMetadata metadata;
    metadata.category = category;
    return metadata;
}

} // namespace

class TestEmbeddedMetadata : public QObject
{
    Q_OBJECT

private slots:
    void decodesJson_data();
    void decodesJson();
    void readsTheFirstCommentThatDecodes_data();
    void readsTheFirstCommentThatDecodes();
    void unreadableFilesGiveNothing();
};

void TestEmbeddedMetadata::decodesJson_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<Metadata>("expected");

    EmbeddedMetadata full;
    full.series = "Deep Field";
    full.characters = QStringList { "Ada", "Bo" };
    full.medium = "film";
    full.themes = QStringList {};
    full.category = "space";

    QTest::newRow("category alone") << QByteArray(R"({"category":"space"})") << Metadata(withCategory("space"));
    QTest::newRow("every field") << QByteArray(R"({"series":"Deep Field","characters":["Ada","Bo"],)"
                                               R"("medium":"film","themes":[],"category":"space"})")
                                 << Metadata(full);
    QTest::newRow("nulls and unknown keys are absent")
        << QByteArray(R"({"series":null,"rating":5,"category":"space"})") << Metadata(withCategory("space"));
    QTest::newRow("empty object") << QByteArray("{}") << Metadata(EmbeddedMetadata {});
    QTest::newRow("category as a number") << QByteArray(R"({"category":5})") << Metadata();
    QTest::newRow("a character that is not text") << QByteArray(R"({"characters":["Ada",1]})") << Metadata();
    QTest::newRow("themes as one text") << QByteArray(R"({"themes":"stars"})") << Metadata();
    QTest::newRow("an array") << QByteArray(R"([{"category":"space"}])") << Metadata();
    QTest::newRow("plain text") << QByteArray("shot on a sunny day") << Metadata();
    QTest::newRow("cut-off JSON") << QByteArray(R"({"category":"spa)") << Metadata();
}

void TestEmbeddedMetadata::decodesJson()
{
    QFETCH(QByteArray, json);
    QFETCH(Metadata, expected);
    QCOMPARE(EmbeddedMetadata::fromJson(json), expected);
}

void TestEmbeddedMetadata::readsTheFirstCommentThatDecodes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Tags>("fileTags");
    QTest::addColumn<Tags>("videoTags");
    QTest::addColumn<Metadata>("expected");

    const QByteArray space = R"({"category":"space"})";
    QTest::newRow("movie comment") << "clip.mov" << Tags { { "comment", space } } << Tags {}
                                   << Metadata(withCategory("space"));
    QTest::newRow("non-JSON comment skipped for the track's")
        << "clip.mkv" << Tags { { "comment", "holiday at the sea" } } << Tags { { "comment", space } }
        << Metadata(withCategory("space"));
    QTest::newRow("comment in a language")
        << "clip.mkv" << Tags {} << Tags { { "comment-eng", space } } << Metadata(withCategory("space"));
    QTest::newRow("other tags are not comments")
        << "clip.mov" << Tags { { "title", space }, { "description", space } } << Tags {} << Metadata();
    QTest::newRow("no comment that decodes")
        << "clip.mov" << Tags { { "comment", R"({"category":1})" } } << Tags {} << Metadata();
}

void TestEmbeddedMetadata::readsTheFirstCommentThatDecodes()
{
    QFETCH(QString, name);
    QFETCH(Tags, fileTags);
    QFETCH(Tags, videoTags);
    QFETCH(Metadata, expected);

    QTemporaryDir dir;
    TestClip::Recipe clip;
    clip.size = QSize(64, 36);
    clip.frames = 3;
    clip.fileTags = fileTags;
    clip.videoTags = videoTags;
    const QString path = dir.filePath(name);
    QVERIFY(TestClip::write(path, clip));
    QCOMPARE(VideoTranscoder::readEmbeddedMetadata(path).result(), expected);
}

void TestEmbeddedMetadata::unreadableFilesGiveNothing()
{
    QTemporaryDir dir;
    QFile text(dir.filePath("notes.mov"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(R"({"category":"space"})");
    text.close();
    QCOMPARE(VideoTranscoder::readEmbeddedMetadata(text.fileName()).result(), Metadata());
    QCOMPARE(VideoTranscoder::readEmbeddedMetadata(dir.filePath("missing.mov")).result(), Metadata());
}

QTEST_GUILESS_MAIN(TestEmbeddedMetadata)
#include "tst_embeddedmetadata.moc"
