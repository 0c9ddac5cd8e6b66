#include "VideoOrientation.h"

#include <QtTest>

extern "C" {
#include <libavutil/display.h>
}

using Matrix = VideoOrientation::DisplayMatrix;
using KeptMatrix = std::optional<Matrix>;
Q_DECLARE_METATYPE(KeptMatrix)

namespace {

// FFmpeg's matrix of a turn by the given degrees, as the test clips carry it.
Matrix turned(double degrees)
{
    Matrix matrix;
    av_display_rotation_set(matrix.data(), degrees);
    return matrix;
}

Matrix mirrored(Matrix matrix)
{
    av_display_matrix_flip(matrix.data(), 1, 0);
    return matrix;
}

Matrix scaled(Matrix matrix, int32_t factor)
{
    for (int i : { 0, 1, 3, 4 })
        matrix[size_t(i)] *= factor;
    return matrix;
}

} // namespace

class TestVideoOrientation : public QObject
{
    Q_OBJECT

private slots:
    void takesQuarterTurnsOnly_data();
    void takesQuarterTurnsOnly();
};

void TestVideoOrientation::takesQuarterTurnsOnly_data()
{
    QTest::addColumn<Matrix>("matrix");
    QTest::addColumn<QSize>("displayed");
    QTest::addColumn<KeptMatrix>("kept");

    Matrix placed = turned(0);
    placed[6] = 32 << 16;
    QTest::newRow("moved only: upright") << placed << QSize(32, 18) << KeptMatrix();
    Matrix quarter = turned(90);
    quarter[6] = 18 << 16; // as cameras write it
    QTest::newRow("quarter turn as written") << quarter << QSize(18, 32) << KeptMatrix(quarter);
    QTest::newRow("half turn as written") << turned(180) << QSize(32, 18) << KeptMatrix(turned(180));
    QTest::newRow("mirrored quarter turn as written")
        << mirrored(turned(270)) << QSize(18, 32) << KeptMatrix(mirrored(turned(270)));
    QTest::newRow("mirror alone as written") << mirrored(turned(0)) << QSize(32, 18) << KeptMatrix(mirrored(turned(0)));
    QTest::newRow("scaled quarter turn: the turn alone")
        << scaled(turned(90), 20000) << QSize(18, 32) << KeptMatrix(turned(90));
    QTest::newRow("scaled mirror: the mirror alone")
        << scaled(mirrored(turned(0)), 3) << QSize(32, 18) << KeptMatrix(mirrored(turned(0)));
    QTest::newRow("80 degrees: the quarter turn") << turned(80) << QSize(18, 32) << KeptMatrix(turned(90));
    QTest::newRow("30 degrees: upright") << turned(30) << QSize(32, 18) << KeptMatrix();
    QTest::newRow("flattening: upright") << Matrix { 0, 0, 0, 0, 0, 0, 0, 0, 1 << 30 } << QSize(32, 18) << KeptMatrix();
    // A movie file's matrix that asked for a picture 26 by 485,000 pixels.
    QTest::newRow("sheared and scaled from a crafted file")
        << Matrix { 0, 65536, 0, -95083, -1768972131, -1811939328, 0, 0, 1073741824 } << QSize(18, 32)
        << KeptMatrix(turned(90));
}

void TestVideoOrientation::takesQuarterTurnsOnly()
{
    QFETCH(Matrix, matrix);
    QFETCH(QSize, displayed);
    QFETCH(KeptMatrix, kept);

    const VideoOrientation orientation(matrix);
    QCOMPARE(orientation.displayMatrix(), kept);
    QCOMPARE(orientation.displayedSize(QSize(32, 18)), displayed);
    QCOMPARE(orientation.storedSize(displayed), QSize(32, 18));
}

QTEST_GUILESS_MAIN(TestVideoOrientation)
#include "tst_videoorientation.moc"
