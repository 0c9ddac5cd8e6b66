// The render path follows the OpenGL renderer: Mesa's software rasterisers and
// a machine without OpenGL draw frames in memory; the environment variable
// overrides the renderer either way.
#include "VideoRenderPath.h"

#include <QTest>

using Path = VideoRenderPath::Path;

class tst_VideoRenderPath : public QObject
{
    Q_OBJECT

private slots:
    void choice_data();
    void choice();
};

void tst_VideoRenderPath::choice_data()
{
    QTest::addColumn<QByteArray>("forced");
    QTest::addColumn<bool>("hasOpenGL");
    QTest::addColumn<QString>("renderer");
    QTest::addColumn<Path>("expected");
    QTest::addColumn<QString>("reason");

    QTest::newRow("llvmpipe") << QByteArray() << true << QStringLiteral("llvmpipe (LLVM 15.0.6, 256 bits)")
                              << Path::software << QStringLiteral("software renderer");
    QTest::newRow("softpipe") << QByteArray() << true << QStringLiteral("softpipe") << Path::software
                              << QStringLiteral("software renderer");
    QTest::newRow("a renderer calling itself software")
        << QByteArray() << true << QStringLiteral("Software Rasterizer") << Path::software
        << QStringLiteral("software renderer");
    QTest::newRow("no OpenGL") << QByteArray() << false << QString() << Path::software
                               << QStringLiteral("no OpenGL");
    QTest::newRow("graphics card") << QByteArray() << true << QStringLiteral("Mesa Intel(R) UHD Graphics 620 (KBL GT2)")
                                   << Path::openGL << QStringLiteral("Intel");
    QTest::newRow("forced software on a graphics card")
        << QByteArray("software") << true << QStringLiteral("AMD Radeon RX 6600") << Path::software
        << QStringLiteral("forced by LANTO_VIDEO_RENDER_PATH");
    QTest::newRow("forced OpenGL on llvmpipe, any case")
        << QByteArray(" OpenGL\n") << true << QStringLiteral("llvmpipe") << Path::openGL
        << QStringLiteral("forced by LANTO_VIDEO_RENDER_PATH");
    QTest::newRow("unknown value ignored") << QByteArray("vulkan") << true << QStringLiteral("llvmpipe")
                                           << Path::software << QStringLiteral("software renderer");
}

void tst_VideoRenderPath::choice()
{
    QFETCH(QByteArray, forced);
    QFETCH(bool, hasOpenGL);
    QFETCH(QString, renderer);
    QFETCH(Path, expected);
    QFETCH(QString, reason);

    const VideoRenderPath::Choice choice
        = VideoRenderPath::choose(forced, hasOpenGL ? std::optional(renderer) : std::nullopt);
    QCOMPARE(choice.path, expected);
    QVERIFY2(choice.reason.contains(reason), qPrintable(choice.reason));
}

QTEST_GUILESS_MAIN(tst_VideoRenderPath)
#include "tst_videorenderpath.moc"
