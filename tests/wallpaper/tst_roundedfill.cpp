// Pictures drawn rounded and shadows drawn soft, as the cards show them on
// every renderer: clear corners, the picture cropped to fill, and a shadow that
// fades out past the shape's edges.
#include "ImageBlur.h"
#include "RoundedFill.h"
#include "SoftShadow.h"

#include <QImage>
#include <QPainter>
#include <QTest>

class tst_RoundedFill : public QObject
{
    Q_OBJECT

private slots:
    void cornersAreClearAndTheMiddleIsFilled_data();
    void cornersAreClearAndTheMiddleIsFilled();
    void pictureIsCroppedToFill();
    void shadowFadesPastTheShapesEdges();
};

void tst_RoundedFill::cornersAreClearAndTheMiddleIsFilled_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<qreal>("radius");
    QTest::addColumn<bool>("cornersClear");

    QTest::newRow("card") << QSize(220, 140) << 14.0 << true;
    QTest::newRow("circle") << QSize(30, 30) << 15.0 << true;
    QTest::newRow("square corners") << QSize(40, 20) << 0.0 << false;
}

void tst_RoundedFill::cornersAreClearAndTheMiddleIsFilled()
{
    QFETCH(QSize, pixels);
    QFETCH(qreal, radius);
    QFETCH(bool, cornersClear);
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QImage rounded = RoundedFill::render(red, pixels, radius);
    QCOMPARE(rounded.size(), pixels);
    const QPoint last(pixels.width() - 1, pixels.height() - 1);
    for (const QPoint corner : { QPoint(0, 0), QPoint(last.x(), 0), QPoint(0, last.y()), last })
        QCOMPARE(qAlpha(rounded.pixel(corner)) == 0, cornersClear);
    QCOMPARE(rounded.pixelColor(pixels.width() / 2, pixels.height() / 2), QColor(Qt::red));
    // The edges between the corners are filled right up to the border (a circle's only nearly).
    QVERIFY(qAlpha(rounded.pixel(pixels.width() / 2, 0)) > 230);
    QVERIFY(qAlpha(rounded.pixel(0, pixels.height() / 2)) > 230);
}

void tst_RoundedFill::pictureIsCroppedToFill()
{
    // Three equal stripes into a square: only the middle one is shown, over all of it.
    QImage stripes(30, 10, QImage::Format_RGB32);
    QPainter painter(&stripes);
    painter.fillRect(0, 0, 10, 10, Qt::red);
    painter.fillRect(10, 0, 10, 10, Qt::green);
    painter.fillRect(20, 0, 10, 10, Qt::blue);
    painter.end();
    const QImage rounded = RoundedFill::render(stripes, QSize(40, 40), 4);
    for (const QPoint inside : { QPoint(8, 20), QPoint(20, 20), QPoint(31, 20) })
        QCOMPARE(rounded.pixelColor(inside), QColor(Qt::green));
}

void tst_RoundedFill::shadowFadesPastTheShapesEdges()
{
    const QSize shape(100, 60);
    const qreal blur = 8;
    const QImage shadow = SoftShadow::render(shape, 10, blur, QColor(0, 0, 0, 128));
    const int margin = ImageBlur::marginFor(blur);
    QCOMPARE(shadow.size(), shape + QSize(2 * margin, 2 * margin));
    const auto alphaAt = [&](int x, int y) { return qAlpha(shadow.pixel(margin + x, margin + y)); };
    // Full beneath the middle of the shape, half at its edge, fading to nothing past it.
    QVERIFY(qAbs(alphaAt(50, 30) - 128) <= 2);
    QVERIFY(alphaAt(0, 30) > 40 && alphaAt(0, 30) < 90);
    QVERIFY(alphaAt(-int(blur), 30) < alphaAt(0, 30));
    QCOMPARE(qAlpha(shadow.pixel(0, margin + 30)), 0);
    // The corners are rounder than the sides: less shadow diagonally out from them.
    QVERIFY(alphaAt(0, 0) < alphaAt(0, 30));
}

QTEST_GUILESS_MAIN(tst_RoundedFill)
#include "tst_roundedfill.moc"
