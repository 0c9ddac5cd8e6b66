#include "DesktopFixture.h"
#include "DesktopImageView.h"
#include "DesktopWindow.h"
#include "DesktopWindowController.h"
#include "LogCapture.h"
#include "TestPictures.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

namespace {

ConnectedDisplay display(quint32 number, const QString& name, const QRect& frame)
{
    return ConnectedDisplay { number, name, frame, QString(), nullptr };
}

} // namespace

class tst_DesktopWindowController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void createsHiddenDesktopWindowAndLogsIt_data();
    void createsHiddenDesktopWindowAndLogsIt();
    void showsTheRecordedPicture_data();
    void showsTheRecordedPicture();
    void creatingTwiceReplacesAndClosesTheFirstWindow();

private:
    QTemporaryDir m_dir;
    QUrl m_picture;
};

void tst_DesktopWindowController::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_picture = TestPictures::stripes(m_dir.path(), QStringLiteral("red.png"), QSize(32, 32), { Qt::red });
}

void tst_DesktopWindowController::createsHiddenDesktopWindowAndLogsIt_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QString>("line");

    QTest::newRow("built-in display") << QRect(
        0, 0, 1728, 1117) << "Lanto: Created window for screen 1 (Built-in Display) frame=(0.0, 0.0, 1728.0, 1117.0)";
    QTest::newRow("display left of the main one") << QRect(-1920, -200, 1920,
        1080) << "Lanto: Created window for screen 1 (Built-in Display) frame=(-1920.0, -200.0, 1920.0, 1080.0)";
}

void tst_DesktopWindowController::createsHiddenDesktopWindowAndLogsIt()
{
    QFETCH(QRect, frame);
    QFETCH(QString, line);
    DesktopFixture fixture;
    DesktopWindowController& controller = fixture.start();
    LogCapture log;
    controller.createWindow(display(1, QStringLiteral("Built-in Display"), frame), QStringLiteral("1"));
    QCOMPARE(log.lines(), QStringList { line });

    QCOMPARE(controller.windows().size(), size_t(1));
    DesktopWindow* window = controller.windows().at(QStringLiteral("1")).get();
    QVERIFY(qobject_cast<DesktopWindow*>(static_cast<QObject*>(window)));
    QVERIFY(!window->isVisible());
    QCOMPARE(window->geometry(), frame);
    QCOMPARE(window->level(), DesktopLevelWindow::desktopLevel);
    QVERIFY(window->flags().testFlag(Qt::WindowTransparentForInput));

    DesktopImageView* view = controller.imageViews().value(QStringLiteral("1"));
    QVERIFY(view);
    QCOMPARE(view->parentItem(), window->contentItem());
    QCOMPARE(view->size(), QSizeF(frame.size()));
}

void tst_DesktopWindowController::showsTheRecordedPicture_data()
{
    QTest::addColumn<bool>("hasRecord");
    QTest::addColumn<QUrl>("wallpaperImageURL");
    QTest::addColumn<bool>("showsPicture");

    QTest::newRow("no record") << false << QUrl() << false;
    QTest::newRow("record without picture") << true << QUrl() << false;
    QTest::newRow("record with picture") << true << m_picture << true;
    QTest::newRow("record with missing picture")
        << true << QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("gone.png"))) << false;
}

void tst_DesktopWindowController::showsTheRecordedPicture()
{
    QFETCH(bool, hasRecord);
    QFETCH(QUrl, wallpaperImageURL);
    QFETCH(bool, showsPicture);

    DesktopFixture fixture;
    if (hasRecord) {
        ScreenModel record(7, QStringLiteral("Studio Display"));
        if (!wallpaperImageURL.isEmpty())
            record.wallpaperImageURL = wallpaperImageURL;
        fixture.saveRecords({ record });
    }
    DesktopWindowController& controller = fixture.start();
    LogCapture log;
    controller.createWindow(display(7, QStringLiteral("Studio Display"), QRect(0, 0, 640, 480)), QStringLiteral("7"));

    const QImage shown = controller.imageViews().value(QStringLiteral("7"))->image();
    QCOMPARE(!shown.isNull(), showsPicture);
    if (showsPicture)
        QCOMPARE(shown.pixelColor(16, 16), QColor(Qt::red));
    QCOMPARE(log.lines().size(), 1); // only the creation line
}

void tst_DesktopWindowController::creatingTwiceReplacesAndClosesTheFirstWindow()
{
    DesktopFixture fixture;
    DesktopWindowController& controller = fixture.start();
    const ConnectedDisplay main = display(1, QStringLiteral("Built-in Display"), QRect(0, 0, 800, 600));
    controller.createWindow(main, QStringLiteral("1"));
    controller.createWindow(display(2, QStringLiteral("Projector"), QRect(800, 0, 1024, 768)), QStringLiteral("2"));

    QPointer<DesktopWindow> first = controller.windows().at(QStringLiteral("1")).get();
    QPointer<DesktopImageView> firstView = controller.imageViews().value(QStringLiteral("1"));
    first->orderFront();
    QVERIFY(QTest::qWaitForWindowExposed(first.data()));

    controller.createWindow(main, QStringLiteral("1"));
    QVERIFY(first.isNull());
    QVERIFY(firstView.isNull());
    QCOMPARE(controller.windows().size(), size_t(2));
    QCOMPARE(controller.imageViews().keys(), (QStringList { QStringLiteral("1"), QStringLiteral("2") }));
    DesktopWindow* second = controller.windows().at(QStringLiteral("1")).get();
    QVERIFY(!second->isVisible());
    QCOMPARE(controller.imageViews().value(QStringLiteral("1"))->parentItem(), second->contentItem());
}

QTEST_MAIN(tst_DesktopWindowController)
#include "tst_desktopwindowcontroller.moc"
