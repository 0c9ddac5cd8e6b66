// The hidden floating panel leaves no pixels on an X server without a
// compositing manager, where window opacity counts for nothing.
#include "FloatingMonitorWindowManager.h"
#include "FloatingMonitorPanel.h"

#include <QGuiApplication>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>

class TestPanelPixels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void hiddenPanelLeavesNoPixels();

private:
    // The screen's pixels where the panel overlaps its parent.
    QImage underPanel(const QQuickWindow& parent) const;
    static bool allOf(const QImage& image, QColor colour);

    QQmlEngine m_engine;
};

void TestPanelPixels::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
}

QImage TestPanelPixels::underPanel(const QQuickWindow& parent) const
{
    const QRect panel(FloatingMonitorPanel::placement(parent.geometry(), false),
        QSize(FloatingMonitorPanel::panelWidth, FloatingMonitorPanel::panelHeight));
    const QRect overlap = panel.intersected(parent.geometry());
    return parent.screen()->grabWindow(0, overlap.x(), overlap.y(), overlap.width(), overlap.height()).toImage();
}

bool TestPanelPixels::allOf(const QImage& image, QColor colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() != colour.rgb())
                return false;
    return !image.isNull();
}

void TestPanelPixels::hiddenPanelLeavesNoPixels()
{
    QQuickWindow parent;
    parent.setFlags(Qt::FramelessWindowHint);
    parent.setColor(Qt::red);
    parent.setGeometry(40, 40, 900, 500);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QQmlComponent content(&m_engine);
    content.setData("import QtQuick\nRectangle { width: 600; height: 200; color: \"blue\" }", QUrl());
    QQmlEngine::setContextForObject(&content, m_engine.rootContext());
    FloatingMonitorWindowManager& manager = FloatingMonitorWindowManager::shared();
    manager.setVisible(false);
    manager.attach(&parent, &content);
    QVERIFY(manager.isAttached());

    // Nothing but the parent shows where the hidden panel lies.
    QTRY_VERIFY_WITH_TIMEOUT(allOf(underPanel(parent), Qt::red), 5000);

    // The grab does see the panel when it is shown, so the check above means something.
    manager.setVisible(true);
    QTRY_VERIFY_WITH_TIMEOUT(!allOf(underPanel(parent), Qt::red), 5000);
    manager.setVisible(false);
    QTRY_VERIFY_WITH_TIMEOUT(allOf(underPanel(parent), Qt::red), 5000);
    manager.detach();
}

QTEST_MAIN(TestPanelPixels)
#include "tst_panelpixels.moc"
