// A texture drawn rounded through a graphics API: the strip of triangles keeps
// inside the rectangle, cuts the corners by the radius (never more than half
// the shorter side), and each point shows the part of the texture that lies
// there, also when the texture is a piece of an atlas.
#include "RoundedTextureNode.h"

#include <QSGTexture>
#include <QTest>

#include <cmath>

namespace {

// A texture that only tells its size and where it lies in its atlas.
class FakeTexture final : public QSGTexture
{
public:
    FakeTexture(QSize size, QRectF subRect) : m_size(size), m_subRect(subRect) { }
    qint64 comparisonKey() const override { return qint64(quintptr(this)); }
    QSize textureSize() const override { return m_size; }
    bool hasAlphaChannel() const override { return false; }
    bool hasMipmaps() const override { return false; }
    QRectF normalizedTextureSubRect() const override { return m_subRect; }

private:
    QSize m_size;
    QRectF m_subRect;
};

} // namespace

class tst_RoundedTextureNode : public QObject
{
    Q_OBJECT

private slots:
    void stripFollowsTheRoundedRectangle_data();
    void stripFollowsTheRoundedRectangle();
};

void tst_RoundedTextureNode::stripFollowsTheRoundedRectangle_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<qreal>("radius");
    QTest::addColumn<QRectF>("source"); // texture pixels; empty: all
    QTest::addColumn<QRectF>("atlasPart");
    QTest::addColumn<qreal>("cornerCut"); // expected least distance of the strip from a corner

    const QRectF whole(0, 0, 1, 1);
    const double rounding = std::sqrt(2.0) - 1; // a quarter circle of radius r stays r(√2 − 1) from its corner
    QTest::newRow("square corners") << QRectF(10, 20, 200, 100) << 0.0 << QRectF() << whole << 0.0;
    QTest::newRow("card") << QRectF(0, 0, 220, 140) << 14.0 << QRectF() << whole << 14 * rounding;
    QTest::newRow("cropped middle") << QRectF(0, 0, 100, 100) << 16.0 << QRectF(40, 0, 80, 80) << whole
                                    << 16 * rounding;
    QTest::newRow("piece of an atlas") << QRectF(5, 5, 50, 30) << 8.0 << QRectF() << QRectF(0.25, 0.5, 0.5, 0.25)
                                       << 8 * rounding;
    QTest::newRow("radius beyond half the height") << QRectF(0, 0, 100, 20) << 40.0 << QRectF() << whole
                                                   << 10 * rounding;
}

void tst_RoundedTextureNode::stripFollowsTheRoundedRectangle()
{
    QFETCH(QRectF, rect);
    QFETCH(qreal, radius);
    QFETCH(QRectF, source);
    QFETCH(QRectF, atlasPart);
    QFETCH(qreal, cornerCut);

    const QSize pixels(160, 80);
    FakeTexture texture(pixels, atlasPart);
    RoundedTextureNode node;
    node.setTexture(&texture);
    node.setRect(rect);
    node.setSourceRect(source);
    node.setRadius(radius);

    const QSGGeometry* geometry = node.geometry();
    QCOMPARE(geometry->drawingMode(), QSGGeometry::DrawTriangleStrip);
    const QSGGeometry::TexturedPoint2D* vertices = geometry->vertexDataAsTexturedPoint2D();
    const int count = geometry->vertexCount();
    // It spans the whole height, top row first.
    QCOMPARE(vertices[0].y, float(rect.top()));
    QCOMPARE(vertices[count - 1].y, float(rect.bottom()));

    const QRectF shown = source.isEmpty() ? QRectF(QPointF(0, 0), QSizeF(pixels)) : source;
    const QPointF corners[4] = { rect.topLeft(), rect.topRight(), rect.bottomRight(), rect.bottomLeft() };
    double nearestToACorner = 1e9;
    for (int i = 0; i < count; ++i) {
        const QPointF at(vertices[i].x, vertices[i].y);
        QVERIFY2(rect.adjusted(-0.01, -0.01, 0.01, 0.01).contains(at), qPrintable(QStringLiteral("vertex %1").arg(i)));
        for (const QPointF corner : corners)
            nearestToACorner = std::min(nearestToACorner, std::hypot(at.x() - corner.x(), at.y() - corner.y()));
        // The texture point of the spot, in the atlas's coordinates.
        const double u = (shown.x() + (at.x() - rect.x()) / rect.width() * shown.width()) / pixels.width();
        const double v = (shown.y() + (at.y() - rect.y()) / rect.height() * shown.height()) / pixels.height();
        QVERIFY(qAbs(vertices[i].tx - (atlasPart.x() + u * atlasPart.width())) < 1e-4);
        QVERIFY(qAbs(vertices[i].ty - (atlasPart.y() + v * atlasPart.height())) < 1e-4);
    }
    QVERIFY2(qAbs(nearestToACorner - cornerCut) < 0.05, qPrintable(QString::number(nearestToACorner)));
    node.setTexture(nullptr); // the node does not own it
}

QTEST_GUILESS_MAIN(tst_RoundedTextureNode)
#include "tst_roundedtexturenode.moc"
