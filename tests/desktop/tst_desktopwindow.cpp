// A real desktop window on the X display: what it shows there, the hints the
// window manager reads, and what it learns when other windows cover it.
#include "DesktopImageView.h"
#include "DesktopWindow.h"
#include "TestPictures.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_connection_t* connection() { return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection(); }

xcb_atom_t atom(const char* name)
{
    auto* reply = xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), false, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// The 32-bit values of a window property; empty when it is not set.
QList<quint32> windowProperty(const QWindow& window, const char* name, xcb_atom_t type)
{
    const auto cookie = xcb_get_property(connection(), false, xcb_window_t(window.winId()), atom(name), type, 0, 64);
    auto* reply = xcb_get_property_reply(connection(), cookie, nullptr);
    QList<quint32> values;
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply));
        values = QList<quint32>(data, data + reply->value_len);
    }
    std::free(reply);
    return values;
}

QList<quint32> atoms(std::initializer_list<const char*> names)
{
    QList<quint32> result;
    for (const char* name : names)
        result.append(atom(name));
    return result;
}

QImage screenshot() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

} // namespace

class tst_DesktopWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsPictureOnTheDisplay();
    void carriesDesktopHintsOnEveryShow();
    void reportsWhenShownAndHidden();

private:
    QTemporaryDir m_dir;
};

void tst_DesktopWindow::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(m_dir.isValid());
}

void tst_DesktopWindow::showsPictureOnTheDisplay()
{
    // 1600 x 200 into 400 x 200: red then blue on screen, the green ends cropped.
    const QUrl picture = TestPictures::stripes(
        m_dir.path(), QStringLiteral("stripes.png"), QSize(1600, 200), { Qt::green, Qt::red, Qt::blue, Qt::green });
    const QRect frame(100, 120, 400, 200);
    DesktopWindow window(frame, QGuiApplication::primaryScreen());
    auto* view = new DesktopImageView(window.contentItem());
    view->setImage(picture);
    window.orderFront();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QRect left(frame.x() + 5, frame.y() + 5, 180, 190);
    const QRect right(frame.x() + 215, frame.y() + 5, 180, 190);
    QTRY_COMPARE_WITH_TIMEOUT(TestPictures::count(screenshot(), left, Qt::red), left.width() * left.height(), 10000);
    const QImage shot = screenshot();
    QCOMPARE(TestPictures::count(shot, right, Qt::blue), right.width() * right.height());
    QCOMPARE(TestPictures::count(shot, frame, Qt::green), 0);
    QCOMPARE(TestPictures::count(shot, QRect(0, 0, 90, 110), Qt::red), 0);

    window.orderOut();
    QTRY_COMPARE(TestPictures::count(screenshot(), left, Qt::red), 0);
}

void tst_DesktopWindow::carriesDesktopHintsOnEveryShow()
{
    DesktopWindow window(QRect(0, 0, 200, 100), QGuiApplication::primaryScreen());
    QCOMPARE(window.level(), DesktopLevelWindow::desktopLevel);
    for (const Qt::WindowType flag : { Qt::FramelessWindowHint, Qt::WindowTransparentForInput,
             Qt::WindowDoesNotAcceptFocus, Qt::WindowStaysOnBottomHint })
        QVERIFY(window.flags().testFlag(flag));

    const QList<quint32> desktopType = atoms({ "_NET_WM_WINDOW_TYPE_DESKTOP" });
    const QList<quint32> states = atoms(
        { "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_BELOW" });
    const auto verifyHints = [&] {
        QCOMPARE(windowProperty(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM), desktopType);
        const QList<quint32> shown = windowProperty(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
        for (const quint32 state : states)
            QVERIFY(shown.contains(state));
        QCOMPARE(windowProperty(window, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL), QList<quint32> { 0xFFFFFFFF });
    };

    window.orderFront();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    verifyHints();
    if (QTest::currentTestFailed())
        return;

    // A window manager drops the state of a withdrawn window; the next show sets it again.
    window.orderOut();
    xcb_delete_property(connection(), xcb_window_t(window.winId()), atom("_NET_WM_STATE"));
    window.orderFront();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    verifyHints();
    if (QTest::currentTestFailed())
        return;

    // Qt rewrites the window type whenever the flags change; the desktop type survives.
    window.setLevel(DesktopLevelWindow::normalLevel);
    QVERIFY(!window.flags().testFlag(Qt::WindowStaysOnBottomHint));
    QCOMPARE(windowProperty(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM), desktopType);
    window.setLevel(DesktopLevelWindow::desktopLevel);
    QVERIFY(window.flags().testFlag(Qt::WindowStaysOnBottomHint));
    QCOMPARE(window.level(), DesktopLevelWindow::desktopLevel);
}

void tst_DesktopWindow::reportsWhenShownAndHidden()
{
    DesktopWindow window(QRect(50, 50, 300, 200), QGuiApplication::primaryScreen());
    QSignalSpy changes(&window, &DesktopLevelWindow::occlusionStateChanged);
    QVERIFY(!window.isOcclusionVisible());

    window.orderFront();
    QTRY_VERIFY(window.isOcclusionVisible());
    QCOMPARE(changes.count(), 1);
    window.orderFront();
    QCOMPARE(changes.count(), 1);

    window.orderOut();
    QTRY_VERIFY(!window.isOcclusionVisible());
    QCOMPARE(changes.count(), 2);
}

QTEST_MAIN(tst_DesktopWindow)
#include "tst_desktopwindow.moc"
