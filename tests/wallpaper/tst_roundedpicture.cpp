#include "RawHTTPPeer.h"
#include "RoundedPicture.h"
#include "ShownPictureLoader.h"
#include "TemporaryHome.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QImage>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray plainPNG(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

class TestRoundedPicture : public QObject
{
    Q_OBJECT

private slots:
    void loadableAddresses_data();
    void loadableAddresses();
    void imageWinsOverTheAddress();
    void unreadableFileLeavesTheFallback();
    void decodedAtTheSizeShown();
    void webPictures_data();
    void webPictures();
    void oneAddressDownloadsOnce();
};

void TestRoundedPicture::loadableAddresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("loadable");
    QTest::newRow("web") << "https://cdn.example.com/a.png" << true;
    QTest::newRow("local file") << "file:///tmp/a.png" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("no scheme") << "cdn.example.com/a.png" << false;
    QTest::newRow("no host") << "https://" << false;
    QTest::newRow("spaces") << "not a url" << false;
}

void TestRoundedPicture::loadableAddresses()
{
    QFETCH(QString, text);
    QTEST(RoundedPicture::isLoadableAddress(text), "loadable");
}

void TestRoundedPicture::imageWinsOverTheAddress()
{
    TemporaryHome home;
    QImage onDisk(4, 4, QImage::Format_RGB32);
    onDisk.fill(Qt::red);
    QVERIFY(onDisk.save(home.filePath("avatar.png")));
    RoundedPicture picture;
    picture.setSize(QSizeF(8, 8));
    picture.setSource(QUrl::fromLocalFile(home.filePath("avatar.png")));
    QTRY_VERIFY(picture.hasPicture());

    QImage chosen(2, 2, QImage::Format_RGB32);
    chosen.fill(Qt::blue);
    picture.setImage(chosen);
    QVERIFY(picture.hasPicture());
    picture.setSource(QUrl()); // the chosen picture stays without an address
    QVERIFY(picture.hasPicture());
    picture.setImage(QImage());
    QVERIFY(!picture.hasPicture());
}

void TestRoundedPicture::unreadableFileLeavesTheFallback()
{
    TemporaryHome home;
    QFile notPicture(home.filePath("Poster.png"));
    QVERIFY(notPicture.open(QIODevice::WriteOnly));
    notPicture.write("not a picture");
    notPicture.close();
    RoundedPicture picture;
    picture.setSize(QSizeF(8, 8));
    QSignalSpy loads(&picture, &RoundedPicture::hasPictureChanged);
    picture.setSource(QUrl::fromLocalFile(home.filePath("Poster.png")));
    QTest::qWait(0);
    QVERIFY(!picture.hasPicture());
    picture.setSource(QUrl::fromLocalFile(home.filePath("missing.png")));
    QVERIFY(!picture.hasPicture());
    QCOMPARE(loads.count(), 0);
}

// A 4K poster on a small tile is decoded at the tile's pixels, not its own, and
// again, larger, when the tile grows past them.
void TestRoundedPicture::decodedAtTheSizeShown()
{
    TemporaryHome home;
    const QUrl poster = TestPictures::stripes(QDir(home.path()), "Poster.png", QSize(3840, 2160), { Qt::red, Qt::blue });
    RoundedPicture picture;
    picture.setSource(poster);
    QTest::qWait(0);
    QVERIFY(!picture.hasPicture()); // not before it has a size
    picture.setSize(QSizeF(160, 90));
    QTRY_VERIFY(picture.hasPicture());
    QCOMPARE(picture.loadedPicture().size(), QSize(160, 90));

    picture.setSize(QSizeF(120, 60)); // shrinking keeps what is there
    QTest::qWait(0);
    QCOMPARE(picture.loadedPicture().size(), QSize(160, 90));
    picture.setSize(QSizeF(320, 180));
    QTRY_COMPARE(picture.loadedPicture().size(), QSize(320, 180));

    picture.setSource(QUrl());
    QVERIFY(!picture.hasPicture());
}

// Web pictures arrive decoded at the size asked for; one larger than the cap is
// refused as soon as its size is known.
void TestRoundedPicture::webPictures_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QSize>("expected"); // empty: no picture
    const QByteArray png = plainPNG(QSize(400, 400), Qt::green);
    const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: "
        + QByteArray::number(png.size()) + "\r\nConnection: close\r\n\r\n" + png;
    QTest::newRow("avatar") << ok << QSize(40, 40);
    const QByteArray huge = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: "
        + QByteArray::number(ShownPictureLoader::maximumDownloadBytes + 1) + "\r\nConnection: close\r\n\r\n"
        + png;
    QTest::newRow("beyond the cap") << huge << QSize();
    QTest::newRow("error status") << QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n") << QSize();
}

void TestRoundedPicture::webPictures()
{
    QFETCH(QByteArray, answer);
    QFETCH(QSize, expected);
    RawHTTPPeer peer([answer](const RawHTTPPeer::Exchange&) { return answer; });
    QNetworkAccessManager network;
    ShownPictureLoader loader;
    QSignalSpy loaded(&loader, &ShownPictureLoader::loaded);
    loader.load(QUrl(QStringLiteral("http://127.0.0.1:%1/a.png").arg(peer.port())), QSize(40, 40), &network);
    QTRY_COMPARE(loaded.count(), 1);
    const QImage image = loaded.first().first().value<QImage>();
    QCOMPARE(image.isNull(), expected.isEmpty());
    if (!image.isNull())
        QCOMPARE(image.size(), expected);
}

// Many pictures of one address share its download, and a later one finds it
// kept; one that gives up before the answer gets nothing.
void TestRoundedPicture::oneAddressDownloadsOnce()
{
    const QByteArray png = plainPNG(QSize(64, 64), Qt::blue);
    int requests = 0;
    RawHTTPPeer peer([&](const RawHTTPPeer::Exchange&) {
        ++requests;
        return "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " + QByteArray::number(png.size())
            + "\r\nConnection: close\r\n\r\n" + png;
    });
    const QUrl address(QStringLiteral("http://127.0.0.1:%1/avatar.png").arg(peer.port()));
    QNetworkAccessManager network;
    WebPictureBytes bytes(1024 * 1024);

    std::vector<std::unique_ptr<ShownPictureLoader>> cards;
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (int n = 0; n < 4; ++n) {
        cards.push_back(std::make_unique<ShownPictureLoader>(bytes));
        spies.push_back(std::make_unique<QSignalSpy>(cards.back().get(), &ShownPictureLoader::loaded));
        cards.back()->load(address, QSize(20, 20), &network);
    }
    cards.back()->cancel();
    for (int n = 0; n < 3; ++n)
        QTRY_COMPARE(spies[size_t(n)]->count(), 1);
    QVERIFY(!spies[0]->first().first().value<QImage>().isNull());
    QCOMPARE(spies.back()->count(), 0);

    ShownPictureLoader later(bytes);
    QSignalSpy laterLoaded(&later, &ShownPictureLoader::loaded);
    later.load(address, QSize(20, 20), &network);
    QTRY_COMPARE(laterLoaded.count(), 1);
    QCOMPARE(requests, 1);
}

QTEST_MAIN(TestRoundedPicture)
#include "tst_roundedpicture.moc"
