#include "FloatingMonitorPanel.h"
#include "FloatingMonitorWindowManager.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

class TestFloatingMonitor : public QObject
{
    Q_OBJECT

private slots:
    void placement_data();
    void placement();
    void panelFollowsItsParent();
    void hiddenPanelLetsClicksThrough();
    void closingTheParentDropsThePanel();
    void panelFollowsTheViewThatMadeIt();

private:
    QQmlEngine m_engine;
    QQmlComponent* content();
};

void TestFloatingMonitor::placement_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<QPoint>("expected");

    // Centred unless that starts less than 200 from the parent's left edge.
    QTest::newRow("narrow window") << QRect(100, 50, 800, 600) << false << QPoint(300, 550);
    QTest::newRow("tie goes to the edge rule") << QRect(0, 0, 1000, 700) << false << QPoint(200, 600);
    QTest::newRow("wide window") << QRect(0, 0, 1200, 700) << false << QPoint(300, 600);
    QTest::newRow("full screen sits 20 inside") << QRect(0, 0, 1200, 700) << true << QPoint(300, 480);
    QTest::newRow("wide, offset") << QRect(500, 100, 2000, 900) << false << QPoint(1200, 900);
}

void TestFloatingMonitor::placement()
{
    QFETCH(QRect, frame);
    QFETCH(bool, fullScreen);
    QTEST(FloatingMonitorPanel::placement(frame, fullScreen), "expected");
}

QQmlComponent* TestFloatingMonitor::content()
{
    auto* component = new QQmlComponent(&m_engine, this);
    component->setData("import QtQuick\nItem { width: 600; height: 200 }", QUrl());
    QQmlEngine::setContextForObject(component, m_engine.rootContext());
    return component;
}

void TestFloatingMonitor::panelFollowsItsParent()
{
    FloatingMonitorPanel panel;
    QWindow parent;
    parent.setGeometry(100, 50, 800, 600);
    panel.attach(&parent);
    QCOMPARE(panel.transientParent(), &parent);
    QCOMPARE(panel.position(), QPoint(300, 550));

    parent.setGeometry(0, 0, 1200, 700);
    QCOMPARE(panel.position(), QPoint(300, 600));
    parent.setPosition(40, 0); // moving carries the panel along
    QCOMPARE(panel.position(), QPoint(340, 600));
    parent.show();
    parent.showFullScreen();
    QTRY_VERIFY(panel.isParentFullScreen());
    QCOMPARE(panel.position(), FloatingMonitorPanel::placement(parent.geometry(), true));
}

void TestFloatingMonitor::hiddenPanelLetsClicksThrough()
{
    FloatingMonitorWindowManager& manager = FloatingMonitorWindowManager::shared();
    manager.setVisible(false);
    QQuickWindow parent;
    parent.show();
    manager.attach(&parent, content());
    QVERIFY(manager.isAttached());
    FloatingMonitorPanel* panel = manager.panel();
    QCOMPARE(panel->opacity(), 0.0);
    QVERIFY(panel->flags() & Qt::WindowTransparentForInput);
    QVERIFY(!panel->isVisible()); // unmapped, so no window system can show it
    QCOMPARE(panel->contentItem()->childItems().size(), 1);

    // A second attach while attached changes nothing.
    manager.attach(&parent, content());
    QCOMPARE(manager.panel(), panel);

    manager.setVisible(true);
    QCOMPARE(panel->opacity(), 1.0);
    QVERIFY(!(panel->flags() & Qt::WindowTransparentForInput));
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->attachedParent(), &parent); // kept its place while hidden
    manager.detach();
    QVERIFY(!manager.isAttached());
}

void TestFloatingMonitor::closingTheParentDropsThePanel()
{
    FloatingMonitorWindowManager& manager = FloatingMonitorWindowManager::shared();
    manager.setVisible(true);
    QQuickWindow parent;
    parent.show();
    manager.attach(&parent, content());
    QPointer<FloatingMonitorPanel> first = manager.panel();
    // Shown with the visibility asked for before it existed.
    QCOMPARE(first->opacity(), 1.0);

    parent.hide();
    QTRY_VERIFY(!manager.isAttached());
    QTRY_VERIFY(first.isNull());

    parent.show();
    manager.attach(&parent, content());
    QVERIFY(manager.isAttached());
    QVERIFY(manager.panel() != nullptr);
    manager.detach();
}

// The main view is made again after sign-out and sign-in: the panel must not
// keep the old view's content, whose bindings died with it.
void TestFloatingMonitor::panelFollowsTheViewThatMadeIt()
{
    FloatingMonitorWindowManager& manager = FloatingMonitorWindowManager::shared();
    QQuickWindow parent;
    parent.show();
    QQmlComponent* first = content();
    manager.attach(&parent, first);
    FloatingMonitorPanel* panel = manager.panel();
    QPointer<QQuickItem> firstContent = panel->contentItem()->childItems().value(0);
    QVERIFY(firstContent);

    // A second view of the same window: same panel, its own content.
    QQmlComponent* second = content();
    manager.attach(&parent, second);
    QCOMPARE(manager.panel(), panel);
    QTRY_VERIFY(firstContent.isNull());
    QCOMPARE(panel->contentItem()->childItems().size(), 1);

    // The first view going changes nothing now; the second one's takes the panel along.
    manager.release(first);
    QVERIFY(manager.isAttached());
    delete second;
    QVERIFY(!manager.isAttached());

    manager.attach(&parent, first);
    QVERIFY(manager.isAttached());
    QVERIFY(manager.panel() != panel);
    manager.release(first);
    QVERIFY(!manager.isAttached());
}

QTEST_MAIN(TestFloatingMonitor)
#include "tst_floatingmonitor.moc"
