#include "PictureDecoding.h"
#include "TemporaryHome.h"
#include "TestPictures.h"

#include <QTest>

// Pictures decoded at the size they are shown, upright.
class TestPictureDecoding : public QObject
{
    Q_OBJECT

private slots:
    void scaledToCoverAndTurned_data();
    void scaledToCoverAndTurned();
    void filesAsBytes();
    void pixelsShown_data();
    void pixelsShown();
};

void TestPictureDecoding::scaledToCoverAndTurned_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("cover");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("large, down to cover") << QSize(2000, 1000) << 1 << QSize(100, 100) << QSize(200, 100);
    QTest::newRow("never enlarged") << QSize(40, 20) << 1 << QSize(100, 100) << QSize(40, 20);
    QTest::newRow("one side already short") << QSize(300, 50) << 1 << QSize(100, 100) << QSize(300, 50);
    QTest::newRow("no size keeps it whole") << QSize(300, 200) << 1 << QSize() << QSize(300, 200);
    QTest::newRow("turned upright") << QSize(200, 100) << 6 << QSize() << QSize(100, 200);
    QTest::newRow("turned back upright") << QSize(200, 100) << 8 << QSize() << QSize(100, 200);
    // The cover is of the upright picture, not of the stored one.
    QTest::newRow("turned, then down to cover") << QSize(2000, 1000) << 6 << QSize(50, 100) << QSize(50, 100);
}

void TestPictureDecoding::scaledToCoverAndTurned()
{
    QFETCH(QSize, stored);
    QFETCH(int, orientation);
    QFETCH(QSize, cover);
    const QImage image = PictureDecoding::decodeBytes(TestPictures::jpegWithOrientation(stored, quint16(orientation)), cover);
    QTEST(image.size(), "expected");
}

void TestPictureDecoding::filesAsBytes()
{
    TemporaryHome home;
    const QUrl poster = TestPictures::stripes(QDir(home.path()), "Poster.png", QSize(3840, 2160), { Qt::red, Qt::blue });
    const QImage shown = PictureDecoding::decodeFile(poster.toLocalFile(), QSize(220, 140));
    QCOMPARE(shown.height(), 140);
    QVERIFY(shown.width() >= 220 && shown.width() < 3840 / 4);

    QFile text(home.filePath("notes.png"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    QVERIFY(PictureDecoding::decodeFile(text.fileName(), QSize(10, 10)).isNull());
    QVERIFY(PictureDecoding::decodeFile(home.filePath("missing.png"), QSize(10, 10)).isNull());
    QVERIFY(PictureDecoding::decodeBytes(QByteArray(), QSize(10, 10)).isNull());
}

void TestPictureDecoding::pixelsShown_data()
{
    QTest::addColumn<QSizeF>("item");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("plain") << QSizeF(220, 140) << 1.0 << QSize(220, 140);
    QTest::newRow("double density") << QSizeF(220, 140) << 2.0 << QSize(440, 280);
    QTest::newRow("fractions round up") << QSizeF(10.2, 10) << 1.5 << QSize(16, 15);
    QTest::newRow("no ratio counts as one") << QSizeF(30, 30) << 0.0 << QSize(30, 30);
    QTest::newRow("absurdly large") << QSizeF(1e12, 10) << 1.0 << QSize(16384, 10);
    QTest::newRow("negative") << QSizeF(-5, 10) << 1.0 << QSize(0, 10);
}

void TestPictureDecoding::pixelsShown()
{
    QFETCH(QSizeF, item);
    QFETCH(double, ratio);
    QTEST(PictureDecoding::pixelsShown(item, ratio), "expected");
}

QTEST_GUILESS_MAIN(TestPictureDecoding)
#include "tst_picturedecoding.moc"
