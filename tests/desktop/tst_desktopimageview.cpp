#include "DesktopImageView.h"
#include "LogCapture.h"
#include "TestPictures.h"

#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An item that takes every click, beneath the view.
class ClickTarget final : public QQuickItem
{
public:
    explicit ClickTarget(QQuickItem* parent) : QQuickItem(parent) { setAcceptedMouseButtons(Qt::AllButtons); }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++presses;
        event->accept();
    }
};

} // namespace

class tst_DesktopImageView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aspectFillSourceRect_data();
    void aspectFillSourceRect();
    void fillsItsParentAndFollowsItsSize();
    void clicksPassThrough();
    void unloadablePictureChangesNothing_data();
    void unloadablePictureChangesNothing();
    void rendersAspectFillAndRelaysOnResize();
    void drawsEveryPixelFormatInItsColours_data();
    void drawsEveryPixelFormatInItsColours();
    void coveredViewHoldsOnlyWhereItsPictureCameFrom();

private:
    QTemporaryDir m_dir;
    QUrl m_stripes; // green | red | blue | green, 1600 x 200
    QUrl m_square;
};

void tst_DesktopImageView::initTestCase()
{
    // As the desktop windows render on a machine without a graphics card.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QVERIFY(m_dir.isValid());
    m_stripes = TestPictures::stripes(
        m_dir.path(), QStringLiteral("stripes.png"), QSize(1600, 200), { Qt::green, Qt::red, Qt::blue, Qt::green });
    m_square = TestPictures::stripes(m_dir.path(), QStringLiteral("square.png"), QSize(64, 64), { Qt::yellow });
}

void tst_DesktopImageView::aspectFillSourceRect_data()
{
    QTest::addColumn<QSizeF>("image");
    QTest::addColumn<QSizeF>("item");
    QTest::addColumn<QRectF>("shown");

    QTest::newRow("wide picture, square item: sides cropped")
        << QSizeF(400, 100) << QSizeF(200, 200) << QRectF(150, 0, 100, 100);
    QTest::newRow("tall picture, wide item: top and bottom cropped")
        << QSizeF(1000, 2000) << QSizeF(200, 100) << QRectF(0, 750, 1000, 500);
    QTest::newRow("same proportions: whole picture")
        << QSizeF(3456, 2234) << QSizeF(1728, 1117) << QRectF(0, 0, 3456, 2234);
    QTest::newRow("small picture is scaled up") << QSizeF(100, 50) << QSizeF(400, 400) << QRectF(25, 0, 50, 50);
    QTest::newRow("empty item: whole picture") << QSizeF(100, 50) << QSizeF(0, 0) << QRectF(0, 0, 100, 50);
}

void tst_DesktopImageView::aspectFillSourceRect()
{
    QFETCH(QSizeF, image);
    QFETCH(QSizeF, item);
    QFETCH(QRectF, shown);
    QCOMPARE(DesktopImageView::aspectFillSourceRect(image, item), shown);
}

void tst_DesktopImageView::fillsItsParentAndFollowsItsSize()
{
    QQuickItem parent;
    parent.setSize(QSizeF(300, 200));
    DesktopImageView view(&parent);
    QCOMPARE(view.position(), QPointF(0, 0));
    QCOMPARE(view.size(), QSizeF(300, 200));

    parent.setSize(QSizeF(1728, 1117));
    QCOMPARE(view.size(), QSizeF(1728, 1117));
}

void tst_DesktopImageView::clicksPassThrough()
{
    QQuickWindow window;
    window.resize(200, 200);
    auto* beneath = new ClickTarget(window.contentItem());
    beneath->setSize(QSizeF(200, 200));
    auto* view = new DesktopImageView(window.contentItem());
    view->setImage(m_square);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(!view->contains(QPointF(100, 100)));
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(beneath->presses, 1);
}

void tst_DesktopImageView::unloadablePictureChangesNothing_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<bool>("showingBefore");

    const QDir dir(m_dir.path());
    QFile text(dir.filePath(QStringLiteral("notes.png")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a picture at all");
    text.close();
    QFile empty(dir.filePath(QStringLiteral("empty.png")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QFile truncated(dir.filePath(QStringLiteral("truncated.png")));
    QFile whole(m_stripes.toLocalFile());
    QVERIFY(whole.open(QIODevice::ReadOnly) && truncated.open(QIODevice::WriteOnly));
    truncated.write(whole.read(60));
    truncated.close();

    for (const bool showing : { false, true }) {
        const char* state = showing ? "showing" : "empty";
        QTest::addRow("%s, missing file", state)
            << QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing.png"))) << showing;
        QTest::addRow("%s, not a picture", state) << QUrl::fromLocalFile(text.fileName()) << showing;
        QTest::addRow("%s, empty file", state) << QUrl::fromLocalFile(empty.fileName()) << showing;
        QTest::addRow("%s, truncated picture", state) << QUrl::fromLocalFile(truncated.fileName()) << showing;
        QTest::addRow("%s, a folder", state) << QUrl::fromLocalFile(dir.path()) << showing;
        QTest::addRow("%s, not a file URL", state) << QUrl(QStringLiteral("https://example.com/a.png")) << showing;
    }
}

void tst_DesktopImageView::unloadablePictureChangesNothing()
{
    QFETCH(QUrl, url);
    QFETCH(bool, showingBefore);
    DesktopImageView view;
    if (showingBefore)
        view.setImage(m_square);
    const QImage before = view.image();
    QCOMPARE(before.isNull(), !showingBefore);

    LogCapture log;
    view.setImage(url);
    QCOMPARE(view.image(), before);
    QVERIFY(log.lines().isEmpty());
}

void tst_DesktopImageView::rendersAspectFillAndRelaysOnResize()
{
    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(400, 200);
    auto* view = new DesktopImageView(window.contentItem());
    view->setImage(m_stripes);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // 1600 x 200 into 400 x 200: the middle 400 columns, red then blue; the green ends are cropped.
    QImage frame = window.grabWindow();
    QCOMPARE(frame.size(), QSize(400, 200));
    QCOMPARE(TestPictures::count(frame, QRect(0, 0, 190, 200), Qt::red), 190 * 200);
    QCOMPARE(TestPictures::count(frame, QRect(210, 0, 190, 200), Qt::blue), 190 * 200);
    QCOMPARE(TestPictures::count(frame, frame.rect(), Qt::green), 0);

    // Same proportions as the picture: all of it, green ends included.
    window.resize(800, 100);
    QTRY_COMPARE(view->size(), QSizeF(800, 100));
    frame = window.grabWindow();
    QVERIFY(TestPictures::count(frame, QRect(0, 0, 190, 100), Qt::green) > 190 * 90);
    QVERIFY(TestPictures::count(frame, QRect(610, 0, 190, 100), Qt::green) > 190 * 90);

    view->clearImage();
    QVERIFY(view->image().isNull());
    frame = window.grabWindow();
    QCOMPARE(TestPictures::count(frame, frame.rect(), Qt::black), 800 * 100);
}

void tst_DesktopImageView::drawsEveryPixelFormatInItsColours_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QColor>("colour");
    // PNG writers store a plain picture in as few bits as it needs.
    QTest::newRow("32-bit") << QImage::Format_RGB32 << QColor(32, 176, 160);
    QTest::newRow("one-bit palette") << QImage::Format_Mono << QColor(32, 176, 160);
    QTest::newRow("8-bit palette") << QImage::Format_Indexed8 << QColor(224, 60, 140);
    QTest::newRow("grey") << QImage::Format_Grayscale8 << QColor(128, 128, 128);
    QTest::newRow("with alpha") << QImage::Format_ARGB32 << QColor(224, 60, 140);
}

void tst_DesktopImageView::drawsEveryPixelFormatInItsColours()
{
    QFETCH(QImage::Format, format);
    QFETCH(QColor, colour);
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(colour);
    picture = format == QImage::Format_Mono || format == QImage::Format_Indexed8
        ? picture.convertToFormat(format, QList<QRgb> { colour.rgb(), qRgb(0, 0, 0) })
        : picture.convertToFormat(format);
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("plain.png"));
    QVERIFY(picture.save(path, "PNG"));

    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(200, 100);
    auto* view = new DesktopImageView(window.contentItem());
    view->setImage(QUrl::fromLocalFile(path));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage frame = window.grabWindow();
    QCOMPARE(TestPictures::count(frame, frame.rect(), colour), 200 * 100);
}

// Under an opaque video the picture is not seen: one from a file lets go of
// its pixels and comes back from the file when next drawn uncovered; one
// handed over loaded has nowhere to come back from and stays.
void tst_DesktopImageView::coveredViewHoldsOnlyWhereItsPictureCameFrom()
{
    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(400, 200);
    auto* view = new DesktopImageView(window.contentItem());
    view->setImage(m_square);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto blackShare = [&] {
        const QImage frame = window.grabWindow();
        return TestPictures::count(frame, frame.rect(), Qt::black) / double(frame.width() * frame.height());
    };

    view->setCovered(true);
    QVERIFY(view->image().isNull());
    QCOMPARE(blackShare(), 1.0); // its texture went too
    // A picture set meanwhile waits as well.
    view->setImage(m_stripes);
    QVERIFY(view->image().isNull());
    QCOMPARE(view->source(), std::optional(m_stripes.toLocalFile()));
    view->setCovered(false);
    QVERIFY(view->image().isNull()); // loaded to be drawn, not before
    const QImage frame = window.grabWindow();
    QCOMPARE(TestPictures::count(frame, QRect(0, 0, 190, 200), Qt::red), 190 * 200);
    QCOMPARE(view->image().size(), QSize(1600, 200));

    QImage loaded(32, 32, QImage::Format_RGB32);
    loaded.fill(Qt::yellow);
    view->setImage(loaded);
    view->setCovered(true);
    QCOMPARE(view->image().pixelColor(0, 0), QColor(Qt::yellow));
    view->setCovered(false);

    // Cleared while covered, nothing comes back.
    view->setImage(m_square);
    view->setCovered(true);
    view->clearImage();
    view->setCovered(false);
    QCOMPARE(blackShare(), 1.0);
}

QTEST_MAIN(tst_DesktopImageView)
#include "tst_desktopimageview.moc"
