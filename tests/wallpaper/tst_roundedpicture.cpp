#include "RoundedPicture.h"
#include "TemporaryHome.h"

#include <QImage>
#include <QTest>

class TestRoundedPicture : public QObject
{
    Q_OBJECT

private slots:
    void loadableAddresses_data();
    void loadableAddresses();
    void imageWinsOverTheAddress();
    void unreadableFileLeavesTheFallback();
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
    picture.setSource(QUrl::fromLocalFile(home.filePath("avatar.png")));
    QVERIFY(picture.hasPicture());

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
    picture.setSource(QUrl::fromLocalFile(home.filePath("Poster.png")));
    QVERIFY(!picture.hasPicture());
    picture.setSource(QUrl::fromLocalFile(home.filePath("missing.png")));
    QVERIFY(!picture.hasPicture());
}

QTEST_MAIN(TestRoundedPicture)
#include "tst_roundedpicture.moc"
